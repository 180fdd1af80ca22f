#include "cli/Interactive.h"
#include "cli/PromptKeys.h"

#include <editline/readline.h>
#include <langinfo.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/Calculator.h"
#include "cli/Commands.h"
#include "cli/Completion.h"
#include "platform/EndSignals.h"
#include "platform/Utf8.h"

namespace {

// Operators, brackets and blanks end a word for Tab.
char WordBreaks[] = " \t+-*/^!(),;:=";

// The calculator whose variables Tab offers; readline's callbacks take no context.
const TCalculator* CompletingCalculator = nullptr;
std::vector<std::string> Matches;
std::size_t NextMatch = 0;

char* NextCompletion(const char*, int state) {
    if (state == 0) NextMatch = 0;
    if (NextMatch >= Matches.size()) return nullptr;
    return strdup(Matches[NextMatch++].c_str());
}

char** Complete(const char* text, int start, int) {
    // Never fall back to file names.
    rl_attempted_completion_over = 1;
    const std::string before(rl_line_buffer, static_cast<std::size_t>(std::max(start, 0)));
    Matches = Completions(before, text, CompletingCalculator->MainFunction());
    if (Matches.empty()) return nullptr;
    return rl_completion_matches(text, NextCompletion);
}

std::int32_t Columns(const std::string& text) {
    return static_cast<std::int32_t>(Utf8ToU32(text).size());
}

// Marks the faulty character under the line, which stands right after the prompt.
void ShowMarker(const std::string& prompt, const std::string& line, std::int32_t column) {
    if (column < 0 || column > Columns(line)) return;
    std::cout << std::string(static_cast<std::size_t>(Columns(prompt) + column), ' ') << "^\n";
}

// Line editing must see UTF-8 characters, also where the environment names no locale.
void UseUtf8Terminal() {
    const char* ctype = std::setlocale(LC_CTYPE, "");
    if (ctype == nullptr || std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
        std::setlocale(LC_CTYPE, "C.UTF-8");
}

} // namespace

int RunInteractive(TCommandInterpreter& interpreter, TCalculator& calculator) {
    UseUtf8Terminal();
    // The library's own handlers would pass each signal on to the whole process group; keys
    // come through ReadPromptKey, which also watches for the signals.
    rl_catch_signals = 0;
    rl_getc_function = ReadPromptKey;
    CatchPromptInterrupt();
    using_history();
    stifle_history(1000);
    std::string lastRecalled;
    for (auto it = calculator.History.rbegin(); it != calculator.History.rend(); ++it) {
        lastRecalled = OneLine(*it);
        add_history(lastRecalled.c_str());
    }
    CompletingCalculator = &calculator;
    rl_attempted_completion_function = Complete;
    rl_basic_word_break_characters = WordBreaks;
    rl_completer_word_break_characters = WordBreaks;
    rl_completion_append_character = '\0';
    std::cout << "Nimbrel – Ausdruck eingeben und Eingabetaste drücken; \"hilfe\" zeigt die "
                 "Befehle, \"ende\" oder Strg+D beendet.\n";

    while (true) {
        TakePromptInterrupt();
        const std::string prompt = interpreter.Prompt();
        std::unique_ptr<char, decltype(&std::free)> raw(readline(prompt.c_str()), &std::free);
        if (PendingEndSignal()) break;
        const bool interrupted = TakePromptInterrupt();
        if (!raw || interrupted) {
            std::cout << '\n';
            if (interrupted) continue;
            break;
        }
        const std::string line = raw.get();
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        // Every line can be fetched back, a faulty one above all.
        if (line != lastRecalled) {
            add_history(line.c_str());
            lastRecalled = line;
        }
        const TCommandReply reply = interpreter.Run(line);
        if (reply.Quit) break;
        if (reply.MarkerColumn) ShowMarker(prompt, line, *reply.MarkerColumn);
        for (const std::string& text : reply.Lines)
            std::cout << text << '\n';
        std::cout.flush();
        if (PendingEndSignal()) break;
    }
    clear_history();
    CompletingCalculator = nullptr;
    return 0;
}
