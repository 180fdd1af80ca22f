// nimbrel-cli: the calculator on the console.
#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "app/Calculator.h"
#include "cli/CliOptions.h"
#include "platform/Locale.h"

namespace {

constexpr int ExitValue = 0;
constexpr int ExitErrorText = 1;
constexpr int ExitException = 2;
constexpr int ExitUsage = 64;
constexpr int ExitIo = 74;

// Until the command-line reader arrives, every parameter is a word of the expression.
std::string ExpressionFromParameters(const std::vector<std::string>& parameters) {
    std::string expression;
    for (const std::string& p : parameters) expression += " " + p;
    return expression;
}

TCalcRequest BaseRequest(const TCliOptions& options) {
    TCalcRequest request;
    // The window's width fields start as 0.1 in the user's own form.
    const std::string width = std::string("0") + DecimalSeparator() + "1";
    request.IntgNumIntvText = request.LenNumIntvText = width;
    ApplyCliOptions(options, request);
    return request;
}

int RunBatch(TCalculator& calculator, const TCliOptions& options) {
    TCalcRequest request = BaseRequest(options);
    std::string line;
    while (std::getline(std::cin, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        request.InputLines = {line};
        try {
            const TCalcOutcome outcome = calculator.RunCalculation(request);
            std::cout << outcome.ResultText.value_or("") << '\n';
        } catch (const std::exception& e) {
            std::cout << "! " << e.what() << '\n';
        }
        std::cout.flush();
        if (!std::cout) return ExitIo;
    }
    return std::cin.bad() ? ExitIo : ExitValue;
}

int RunSingle(TCalculator& calculator, const TCliOptions& options) {
    TCalcRequest request = BaseRequest(options);
    request.InputLines = {ExpressionFromParameters(options.Parameters)};
    try {
        const TCalcOutcome outcome = calculator.RunCalculation(request);
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
        if (options.Mode && !TCalculator::ModeAvailable(*options.Mode))
            throw TCliUsageError{std::string("Berechnungsart '") + CliModeName(*options.Mode) +
                                 "' ist noch nicht verfügbar"};
    } catch (const TCliUsageError& e) {
        std::cerr << "nimbrel-cli: " << e.Message << "\n" << "Hilfe: nimbrel-cli --help\n";
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
        TCalculator calculator;
        calculator.SetStandardVariables();
        return options.Batch ? RunBatch(calculator, options) : RunSingle(calculator, options);
    } catch (const std::exception& e) {
        std::cerr << "nimbrel-cli: " << e.what() << '\n';
        return ExitException;
    }
}
