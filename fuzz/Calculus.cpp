// Derivatives of several orders and antiderivatives of any parsed text, as the calculation
// modes run them: no exception leaves them but the documented one for trees that cannot be
// written, a result expression reads back and agrees with the derivative made pass by pass,
// and every node made is gone afterwards.
#include <cstddef>
#include <cstdint>

#include "app/Calculator.h"
#include "calculus/MathDiff.h"
#include "functions/ExprText.h"
#include "functions/MthTrFnc.h"
#include "functions/SimplifyImpl.h"
#include "fuzz/FuzzSupport.h"
#include "parser/MathPars.h"
#include "platform/Locale.h"

namespace {

bool HasBareOperatorAfterParse(const std::string& expression) {
    TKvMathTreeFunction function;
    if (!ParseInto(function, expression).empty() || function.GetTree() == nullptr) return false;
    return HasBareOperator(*function.GetTree());
}

// The derivative pass after pass, without the shortcuts for high orders, simplified; empty
// when it runs out of nodes or the rules fail.
std::string StepByStep(const std::string& expression, const std::string& variable,
                       std::int32_t order) {
    TKvMathTreeFunction function;
    // The calculation adds the variable field before it parses, so that spelling is kept.
    function.AddVariable(variable);
    if (!ParseInto(function, expression).empty() || function.GetTree() == nullptr) return "";
    const std::string name = function.GetVarName(function.IndexOfVar(variable));
    try {
        TKvNodePtr tree = function.GetTree()->Clone(function.VarDepot);
        function.SetTree(nullptr);
        for (std::int32_t pass = 0; pass < order; ++pass) {
            TKvNodePtr next = TKvMathDifferencer::DiffTree(*tree, name, function.VarDepot);
            // As the differencer does: a tree that is zero everywhere derives to zero.
            if (pass + 1 < order && IsIdenticallyZero(*next)) {
                next.reset();
                next = TKvOperatorNode::CreateExtended(0);
            }
            tree = std::move(next);
        }
        SimplifyTree(tree);
        return ExpressionText(tree.get());
    } catch (const std::exception&) {
        return "";
    }
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
    if (outcome.ResultIsError) return 0;
    CheckReadsBack(*outcome.ResultText, "the result");
    // Low orders, where every pass can be made: the shortcuts change nothing.
    if (!integrate && order <= 8) {
        const std::string expected = StepByStep(expression, variable, order);
        FUZZ_CHECK(expected.empty() || expected == *outcome.ResultText,
                   "order " + std::to_string(order) + " is " + *outcome.ResultText +
                       ", pass by pass " + expected);
    }
    return 0;
}
