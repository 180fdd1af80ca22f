// nimbrel-cli: the calculator on the console.
#include <unistd.h>

#include <exception>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/Calculator.h"
#include "app/CommandLineRequest.h"
#include "app/RequestSettings.h"
#include "app/Settings.h"
#include "app/SettingsFileArgument.h"
#include "app/StartUp.h"
#include "cli/CliOptions.h"
#include "cli/Commands.h"
#include "cli/Interactive.h"
#include "cli/TerminalProgress.h"
#include "platform/EndSignals.h"
#include "platform/IniFile.h"
#include "platform/Locale.h"
#include "platform/SafeFile.h"
#include "plot/PlotSvg.h"

namespace {

constexpr int ExitValue = 0;
// A single request that ends in a message; a batch run in which any line failed.
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
    // At a prompt: the mode and its fields come from the settings file and go back to it.
    bool Interactive = false;
    std::unique_ptr<TCommandInterpreter> Commands;

    bool Save() {
        if (!IniFileName) return true;
        try {
            TIniFile ini(*IniFileName, TIniAccess::Update);
            // The last result is no variable of the user's and stays out of the file.
            std::optional<TLastResult::Hidden> hidden;
            if (Commands) hidden.emplace(Commands->LastResult());
            // A mode chosen here is the window's mode at its next start.
            if (Interactive) PanelVisible = PanelVisible || Request.Mode != cmSimple;
            SaveSettings(ini, PanelVisible, Calculator);
            if (Interactive) SaveRequestFields(ini, Request);
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

// terminal: input and output are a terminal, so a run without an expression is interactive.
void StartSession(TSession& session, const TCliOptions& options, bool terminal) {
    if (!options.NoIni) {
        const TCommandLineHandler handler(options.Parameters);
        if (!handler.Problem.empty()) Report(handler.Problem);
        session.IniFileName = handler.IniFileName;
    }
    const TKvMathCommandLine commandLine(options.Parameters);
    session.Expression = commandLine.Expression;
    session.Interactive = terminal && commandLine.Expression.empty();
    std::unique_ptr<TIniFile> ini;
    if (session.IniFileName) {
        RemoveStaleTemporaryFiles(*session.IniFileName);
        try {
            ini = std::make_unique<TIniFile>(*session.IniFileName);
            // The command line's mode, applied next, wins over the saved one.
            if (session.Interactive) RestoreRequestFields(*ini, session.Request);
        } catch (const std::exception& e) {
            Report(e.what());
        }
    }
    ApplyCommandLine(commandLine, session.Calculator, session.Request, session.PanelVisible);
    if (ini) {
        try {
            RestoreSettings(*ini, session.PanelVisible, session.Calculator);
        } catch (const std::exception& e) {
            Report(e.what());
        }
    }
    ApplyCliOptions(options, session.Request);
}

// One answer line per input line; commands and assignments work as at the prompt.
int RunBatch(TSession& session) {
    session.Commands =
        std::make_unique<TCommandInterpreter>(session.Calculator, session.Request, false);
    bool anyFailed = false;
    std::string line;
    while (!PendingEndSignal() && std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const TCommandReply reply = session.Commands->Run(line);
        anyFailed = anyFailed || reply.Failed;
        std::cout << TCommandInterpreter::BatchLine(reply) << '\n';
        std::cout.flush();
        if (!std::cout) return ExitIo;
    }
    if (std::cin.bad() && !PendingEndSignal()) return ExitIo;
    return anyFailed ? ExitErrorText : ExitValue;
}

// The picture of the calculation just run; false when the file cannot be written.
bool WritePlot(TSession& session, const TCalcOutcome* outcome, const std::string& fileName) {
    std::string picture;
    try {
        picture = PlotSvg(BuildPlotScene(session.Calculator, session.Request, outcome, std::nullopt,
                                         std::nullopt, 640, 400));
    } catch (const std::exception& e) {
        Report(e.what());
        return false;
    }
    std::ofstream file(fileName, std::ios::binary | std::ios::trunc);
    file << picture;
    file.close();
    if (file) return true;
    Report("'" + fileName + "' kann nicht geschrieben werden");
    return false;
}

int RunSingle(TSession& session, const std::optional<std::string>& plotFile) {
    // The parameters' leading blank is no part of the input the history keeps.
    for (std::string& line : session.Request.InputLines)
        line = Trim(line);
    std::optional<TCalcOutcome> outcome;
    int status = ExitValue;
    try {
        outcome = RunWithProgress(session.Calculator, session.Request, false);
        std::cout << outcome->ResultText.value_or("") << '\n';
        std::cout.flush();
        if (!std::cout) return ExitIo;
        status = outcome->ResultIsError ? ExitErrorText : ExitValue;
    } catch (const std::exception& e) {
        std::cerr << e.what() << '\n';
        status = ExitException;
    }
    if (plotFile && !WritePlot(session, outcome ? &*outcome : nullptr, *plotFile)) return ExitIo;
    return status;
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
        const bool terminal = !options.Batch && isatty(STDIN_FILENO) && isatty(STDOUT_FILENO);
        StartSession(session, options, terminal);
        const bool fromInput = options.Batch || session.Expression.empty();
        if (fromInput && options.PlotFile) {
            Report("--plot braucht einen Ausdruck unter den PARAMETERN und geht nicht mit --batch");
            return ExitUsage;
        }
        // A closed terminal or a logout ends a run that saves only after saving.
        if (session.Interactive || options.Save) CatchEndSignals();
        if (session.Interactive) {
            session.Commands =
                std::make_unique<TCommandInterpreter>(session.Calculator, session.Request, true);
            return session.Finish(RunInteractive(*session.Commands, session.Calculator));
        }
        const int status = fromInput ? RunBatch(session) : RunSingle(session, options.PlotFile);
        return options.Save ? session.Finish(status) : status;
    } catch (const std::exception& e) {
        Report(e.what());
        return ExitException;
    }
}
