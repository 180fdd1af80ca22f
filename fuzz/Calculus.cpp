// Derivatives of several orders and antiderivatives of any parsed text, as the calculation
// modes run them: no exception leaves them but the documented one for trees that cannot be
// written, a result expression reads back, and every node made is gone afterwards.
#include <cstddef>
#include <cstdint>

#include "app/Calculator.h"
#include "engine/MathPars.h"
#include "functions/MthTrFnc.h"
#include "fuzz/FuzzSupport.h"
#include "platform/Locale.h"

namespace {

bool HasBareOperatorAfterParse(const std::string& expression) {
    TKvMathTreeFunction function;
    if (!ParseInto(function, expression).empty() || function.GetTree() == nullptr) return false;
    return HasBareOperator(*function.GetTree());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TFuzzInput input(data, size);
    SetDecimalSeparator('.');
    const std::uint8_t selector = input.Byte();
    const bool integrate = (selector & 0x80) != 0;
    // Mostly low orders; now and then a high one, which must end quickly too.
    const std::int32_t order =
        (selector & 0x40) != 0 ? 1000000 + (selector & 0x3F) : 1 + (selector & 0x07);
    const std::string variable = (selector & 0x08) != 0 ? "y" : "x";
    const std::string expression = input.Rest();
    TNodeBalance balance;
    TCalculator calculator;
    TCalcRequest request;
    request.InputLines = {expression};
    request.Mode = integrate ? cmAntiderivative : cmDerivative;
    request.DiffVar = variable;
    request.DiffCount = order;
    TCalcOutcome outcome;
    try {
        outcome = calculator.RunCalculation(request);
    } catch (const EKvMathTreeFunction&) {
        FUZZ_CHECK(HasBareOperatorAfterParse(expression),
                   "the result of a complete tree could not be written");
        return 0;
    }
    FUZZ_CHECK(outcome.ResultText.has_value(), "no result");
    if (!outcome.ResultIsError) CheckReadsBack(*outcome.ResultText, "the result");
    return 0;
}
