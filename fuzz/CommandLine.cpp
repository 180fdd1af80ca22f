// Any parameters (the input split at NUL bytes) through both command-line readers and the
// start-up that applies them: nothing raises, and the symbolic and plain calculations they
// select answer without an exception escaping.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/Calculator.h"
#include "app/CommandLineRequest.h"
#include "app/SettingsFileArgument.h"
#include "app/StartUp.h"
#include "functions/MthTrFnc.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Locale.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The default settings location must not grow folders in the user's home.
    setenv("XDG_CONFIG_HOME", "/nonexistent/nimbrel-fuzz", 1);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    SetDecimalSeparator((input.Byte() & 1) != 0 ? ',' : '.');
    const std::vector<std::string> parameters = input.Words();
    TNodeBalance balance;

    const TCommandLineHandler handler(parameters);
    const TKvMathCommandLine commandLine(parameters);
    FUZZ_CHECK(commandLine.Expression.empty() || commandLine.Expression.front() == ' ',
               "the expression does not begin with a blank");
    FUZZ_CHECK(commandLine.VarListCount() >= 2, "Pi and e are missing");
    for (std::int32_t i = 0; i < commandLine.VarListCount(); ++i)
        FUZZ_CHECK(!commandLine.VarNameAt(i).empty(), "a variable without a name");

    TCalculator calculator;
    TCalcRequest request;
    bool panelVisible = false;
    ApplyCommandLine(commandLine, calculator, request, panelVisible);
    // The numeric methods run as long as their fields ask (an interval of 10^9 pieces takes its
    // time); the others must answer at once.
    switch (request.Mode) {
    case cmSimple:
    case cmSimplify:
    case cmDerivative:
    case cmAntiderivative:
    case cmNewton:
        break;
    default:
        return 0;
    }
    const bool bare = [&] {
        TKvMathTreeFunction function;
        ParseInto(function, commandLine.Expression);
        return function.GetTree() != nullptr && HasBareOperator(*function.GetTree());
    }();
    try {
        calculator.RunCalculation(request);
    } catch (const EKvMathTreeFunction&) {
        FUZZ_CHECK(bare, "a complete tree could not be written");
    } catch (const std::exception& e) {
        FUZZ_CHECK(false, std::string("the calculation raised ") + e.what());
    }
    return 0;
}
