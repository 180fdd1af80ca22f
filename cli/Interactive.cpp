#include "cli/Interactive.h"
#include "cli/PromptKeys.h"
#include "cli/TerminalProgress.h"

#include <editline/readline.h>
#include <langinfo.h>

#include <clocale>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <memory>
#include <string>

#include "app/Calculator.h"
#include "platform/EndSignals.h"
#include "platform/Utf8.h"

namespace {

constexpr const char* Prompt = "> ";

// A stored multi-line input is recalled as one line; the seam keeps the two parts apart.
std::string OneLine(std::string text) {
    std::string line;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            line += ' ';
        } else {
            line += text[i];
        }
    }
    return line;
}

bool IsQuit(const std::string& line) {
    return line == "ende" || line == "Ende" || line == "quit" || line == "exit";
}

// Marks the faulty character under the input, which stands right after the prompt.
void ShowCaret(const std::string& line, std::int32_t caret) {
    const std::u32string characters = Utf8ToU32(line);
    if (caret < 0 || caret > static_cast<std::int32_t>(characters.size())) return;
    std::cout << std::string(std::char_traits<char>::length(Prompt) + caret, ' ') << "^\n";
}

// Line editing must see UTF-8 characters, also where the environment names no locale.
void UseUtf8Terminal() {
    const char* ctype = std::setlocale(LC_CTYPE, "");
    if (ctype == nullptr || std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
        std::setlocale(LC_CTYPE, "C.UTF-8");
}

} // namespace

int RunInteractive(TCalculator& calculator, TCalcRequest& request) {
    UseUtf8Terminal();
    // The library's own handlers would pass each signal on to the whole process group; keys
    // come through ReadPromptKey, which also watches for the signals.
    rl_catch_signals = 0;
    rl_getc_function = ReadPromptKey;
    CatchPromptInterrupt();
    using_history();
    stifle_history(1000);
    for (auto it = calculator.History.rbegin(); it != calculator.History.rend(); ++it)
        add_history(OneLine(*it).c_str());
    std::cout << "Nimbrel – Ausdruck eingeben und Eingabetaste drücken; "
                 "\"ende\" oder Strg+D beendet.\n";

    while (true) {
        TakePromptInterrupt();
        std::unique_ptr<char, decltype(&std::free)> raw(readline(Prompt), &std::free);
        if (PendingEndSignal()) break;
        const bool interrupted = TakePromptInterrupt();
        if (!raw || interrupted) {
            std::cout << '\n';
            if (interrupted) continue;
            break;
        }
        const std::string line = raw.get();
        if (IsQuit(line)) break;
        if (line.find_first_not_of(" \t") == std::string::npos) continue;
        request.InputLines = {line};
        try {
            const TCalcOutcome outcome = RunWithProgress(calculator, request, true);
            if (outcome.CaretPos) ShowCaret(line, *outcome.CaretPos);
            std::cout << "= " << outcome.ResultText.value_or("") << '\n';
            if (outcome.HistoryChanged) add_history(line.c_str());
        } catch (const std::exception& e) {
            std::cout << "Fehler: " << e.what() << '\n';
        }
        if (PendingEndSignal()) break;
    }
    clear_history();
    return 0;
}
