// nimbrel-cli: the calculator on the console.
#include <unistd.h>

#include <exception>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "app/Calculator.h"
#include "app/CmdLine.h"
#include "app/ReadCmdl.h"
#include "app/Settings.h"
#include "app/StartUp.h"
#include "cli/CliOptions.h"
#include "cli/Interactive.h"
#include "cli/TerminalProgress.h"
#include "platform/EndSignals.h"
#include "platform/IniFile.h"
#include "platform/Locale.h"
#include "platform/SafeFile.h"

namespace {

constexpr int ExitValue = 0;
constexpr int ExitErrorText = 1;
constexpr int ExitException = 2;
constexpr int ExitUsage = 64;
constexpr int ExitNotSaved = 73;
constexpr int ExitIo = 74;

void Report(const std::string& message) {
    std::cerr << "nimbrel-cli: " << message << '\n';
}

// The calculator as the window sets it up: command line first, then the settings file.
struct TSession {
    TCalculator Calculator;
    TCalcRequest Request;
    std::optional<std::string> IniFileName;
    bool PanelVisible = false;
    std::string Expression;

    bool Save() {
        if (!IniFileName) return true;
        try {
            TIniFile ini(*IniFileName, TIniAccess::Update);
            SaveSettings(ini, PanelVisible, Calculator);
            ini.UpdateFile();
            return true;
        } catch (const std::exception& e) {
            Report(e.what());
            return false;
        }
    }

    // The status after saving: a failed save outweighs the calculation's, and a signal that
    // asked to end gives its conventional status once saved.
    int Finish(int status) {
        if (!Save()) return ExitNotSaved;
        if (const int signal = PendingEndSignal()) return 128 + signal;
        return status;
    }
};

void StartSession(TSession& session, const TCliOptions& options) {
    if (!options.NoIni) {
        const TCommandLineHandler handler(options.Parameters);
        if (!handler.Problem.empty()) Report(handler.Problem);
        session.IniFileName = handler.IniFileName;
    }
    const TKvMathCommandLine commandLine(options.Parameters);
    session.Expression = commandLine.Expression;
    ApplyCommandLine(commandLine, session.Calculator, session.Request, session.PanelVisible);
    if (session.IniFileName) {
        RemoveStaleTemporaryFiles(*session.IniFileName);
        try {
            const TIniFile ini(*session.IniFileName);
            RestoreSettings(ini, session.PanelVisible, session.Calculator);
        } catch (const std::exception& e) {
            Report(e.what());
        }
    }
    ApplyCliOptions(options, session.Request);
}

int RunBatch(TSession& session) {
    std::string line;
    while (!PendingEndSignal() && std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        session.Request.InputLines = {line};
        try {
            const TCalcOutcome outcome =
                RunWithProgress(session.Calculator, session.Request, false);
            std::cout << outcome.ResultText.value_or("") << '\n';
        } catch (const std::exception& e) {
            std::cout << "! " << e.what() << '\n';
        }
        std::cout.flush();
        if (!std::cout) return ExitIo;
    }
    return std::cin.bad() && !PendingEndSignal() ? ExitIo : ExitValue;
}

int RunSingle(TSession& session) {
    try {
        const TCalcOutcome outcome = RunWithProgress(session.Calculator, session.Request, false);
        std::cout << outcome.ResultText.value_or("") << '\n';
        std::cout.flush();
        if (!std::cout) return ExitIo;
        return outcome.ResultIsError ? ExitErrorText : ExitValue;
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        return ExitException;
    }
}

} // namespace

int main(int argc, char** argv) {
    TCliOptions options;
    try {
        options = ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const TCliUsageError& e) {
        Report(e.Message + "\nHilfe: nimbrel-cli --help");
        return ExitUsage;
    }
    if (options.Help) {
        std::cout << CliUsage;
        return ExitValue;
    }
    if (options.Version) {
        std::cout << "nimbrel-cli " NIMBREL_VERSION "\n";
        return ExitValue;
    }
    if (options.DecimalSeparator) SetDecimalSeparator(*options.DecimalSeparator);

    try {
        TSession session;
        StartSession(session, options);
        if (!TCalculator::ModeAvailable(session.Request.Mode)) {
            Report(std::string("Berechnungsart '") + CliModeName(session.Request.Mode) +
                   "' ist noch nicht verfügbar\nHilfe: nimbrel-cli --help");
            return ExitUsage;
        }
        const bool fromInput = options.Batch || session.Expression.empty();
        const bool interactive =
            fromInput && !options.Batch && isatty(STDIN_FILENO) && isatty(STDOUT_FILENO);
        // A closed terminal or a logout ends a run that saves only after saving.
        if (interactive || options.Save) CatchEndSignals();
        if (interactive) return session.Finish(RunInteractive(session.Calculator, session.Request));
        const int status = fromInput ? RunBatch(session) : RunSingle(session);
        return options.Save ? session.Finish(status) : status;
    } catch (const std::exception& e) {
        Report(e.what());
        return ExitException;
    }
}
