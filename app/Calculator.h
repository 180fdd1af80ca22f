// The calculation state of the whole run, the request and its outcome, without any window.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/Progress.h"

class TKvMathTreeFunction;
class TKvMathParser;

enum TCalcMode {
    cmSimple,
    cmSimplify,
    cmNewton,
    cmDerivative,
    cmAntiderivative,
    cmNumDerivative,
    cmNumIntegral,
    cmCurveLength,
};

// 0.1 written with the user's decimal separator: the interval widths' default.
std::string DefaultIntervalWidthText();

struct TCalcRequest {
    std::vector<std::string> InputLines;
    TCalcMode Mode = cmSimple;
    std::string IterVar = "x";
    std::string StartText = "0";
    std::string DeltaText = "1e-20";
    std::int32_t MaxIter = 1000;
    std::string DiffVar = "x";
    std::int32_t DiffCount = 1;
    std::string DiffNumVar = "x";
    std::int32_t DiffNumCount = 1;
    std::string DiffNumXText = "0";
    std::string IntgNumVar = "x";
    std::string IntgNumFromText = "1";
    std::string IntgNumToText = "10";
    std::string IntgNumIntvText = DefaultIntervalWidthText();
    std::string LenNumVar = "x";
    std::string LenNumFromText = "1";
    std::string LenNumToText = "10";
    std::string LenNumIntvText = DefaultIntervalWidthText();
};

struct TCalcOutcome {
    std::vector<std::string> InputLines;
    // No value: the result line keeps its text.
    std::optional<std::string> ResultText;
    // 0-based character position for the caret in the input text.
    std::optional<std::int32_t> CaretPos;
    bool HistoryChanged = false;
    // The result line shows a message rather than a value or an expression.
    bool ResultIsError = false;
    // The number behind ResultText, at full precision, when a mode ended with one.
    std::optional<long double> ResultValue;
};

class TCalculator {
public:
    TCalculator();
    ~TCalculator();
    TCalculator(const TCalculator&) = delete;
    TCalculator& operator=(const TCalculator&) = delete;

    // Joins the lines into the expression text (putting "+" between two lines where two operands
    // would meet), rewrites the lines accordingly and hands the text to the parser.
    std::string PrepareInput(std::vector<std::string>& lines);
    // Runs one request. An exception that escapes a mode leaves this function; the front end
    // shows its message, and neither caret nor history are touched. When ProgressHook asks to
    // stop, the result reads "Berechnung abgebrochen", again without caret or history; the
    // variables keep what the method gave them.
    TCalcOutcome RunCalculation(const TCalcRequest& request);
    void AddToHistory(const std::string& text);
    // "name=value" for every variable, separated by carriage returns.
    std::string VariablesHint() const;
    // Pi and e with their built-in values, as on a first run.
    void SetStandardVariables();

    TKvMathTreeFunction& MainFunction() { return *MainFunctionObject; }
    const TKvMathTreeFunction& MainFunction() const { return *MainFunctionObject; }
    TKvMathParser& Parser() { return *ParserObject; }

    std::vector<std::string> History;
    std::int32_t HistoryMaxCount = 20;
    // What the settings file held when it was read, so that a save can tell what other programs
    // changed since, and write back values it could not read.
    struct TStoredVariable {
        std::string Name, Text;
    };
    std::vector<TStoredVariable> StoredVariables;
    std::vector<std::string> StoredHistory;
    // Asked now and then during a long request; none by default.
    TProgressHook ProgressHook;

private:
    void RunMode(const TCalcRequest& request, TCalcOutcome& outcome);
    // One per mode; each fills the outcome's result.
    void RunSimple(const TCalcRequest& request, TCalcOutcome& outcome);
    void RunSimplify(const TCalcRequest& request, TCalcOutcome& outcome);
    void RunDerivative(const TCalcRequest& request, TCalcOutcome& outcome);
    void RunAntiderivative(const TCalcRequest& request, TCalcOutcome& outcome);
    void RunNewton(const TCalcRequest& request, TCalcOutcome& outcome);
    void RunNumDerivative(const TCalcRequest& request, TCalcOutcome& outcome);
    void RunNumIntegral(const TCalcRequest& request, TCalcOutcome& outcome);
    void RunCurveLength(const TCalcRequest& request, TCalcOutcome& outcome);

    // Shows a message when there is one, else the text.
    static void ShowErrorOr(const std::string& error, const std::string& text,
                            TCalcOutcome& outcome);
    static void ShowErrorOrValue(const std::string& error, long double value,
                                 TCalcOutcome& outcome);

    std::unique_ptr<TKvMathTreeFunction> MainFunctionObject;
    TKvMathParser* ParserObject; // owned by MainFunctionObject as its creator
};

// The extended constants the standard variables start with.
constexpr long double PiValue = 3.14159265358979323846264338327950288L;
constexpr long double EValue = 2.71828182845904523536028747135266250L;
