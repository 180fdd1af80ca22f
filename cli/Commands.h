// The console's command language: assignments, the last result, overviews, and the mode with
// its fields. Every other line goes to the calculator unchanged.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/Calculator.h"
#include "app/LastResult.h"

// What one line gives back.
struct TCommandReply {
    // The answer; at a prompt each is a line, in a batch run they are joined into one.
    std::vector<std::string> Lines;
    // The line failed: a message instead of a value, a refused command.
    bool Failed = false;
    // 0-based character column in the line as typed where the error marker belongs.
    std::optional<std::int32_t> MarkerColumn;
    // The user asked to end ("ende"; at a prompt only).
    bool Quit = false;
};

class TCommandInterpreter {
public:
    // interactive: answers for a prompt ("= 7", several lines) rather than one batch line.
    TCommandInterpreter(TCalculator& calculator, TCalcRequest& request, bool interactive);

    TCommandReply Run(const std::string& line);
    // The reply as the one line a batch run writes for it.
    static std::string BatchLine(const TCommandReply& reply);
    // "> ", or the mode's word before it when the mode is not plain evaluation.
    std::string Prompt() const;

    TLastResult& LastResult() { return Last; }

private:
    // Whether the expression reads "ans" before there is a result to read.
    bool UsesMissingResult(const std::string& expression) const;
    static std::string NoResultMessage();
    TCommandReply RunExpression(const std::string& line);
    TCommandReply RunAssignment(const std::string& line, std::size_t equals);
    TCommandReply RunCommand(const std::string& word, const std::string& argument);
    TCommandReply SetField(const std::string& word, const std::string& argument);
    std::vector<std::string> Fields() const;
    std::vector<std::string> HelpLines() const;
    std::vector<std::string> VariableLines() const;
    std::vector<std::string> HistoryLines() const;

    TCalculator& Calculator;
    TCalcRequest& Request;
    bool Interactive;
    TLastResult Last;
};

// The words a line may start with to be a command, and the mode names "modus" takes.
const std::vector<std::string>& CommandWords();
const std::vector<std::string>& ModeWords();
const char* ModeWord(TCalcMode mode);

// A stored multi-line input as one line; the seams become blanks.
std::string OneLine(const std::string& text);
