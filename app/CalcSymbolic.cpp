// The symbolic modes: simplification, derivative and antiderivative.
#include "app/Calculator.h"

#include <memory>

#include "calculus/MathDiff.h"
#include "calculus/MathIntg.h"
#include "functions/MthTrFnc.h"
#include "parser/MathPars.h"
#include "platform/Exceptions.h"

void TCalculator::RunSimplify(const TCalcRequest&, TCalcOutcome& outcome) {
    // The parser runs directly: Calculate would also evaluate the tree.
    ParserObject->Execute();
    MainFunctionObject->Simplify();
    ShowErrorOr(ParserObject->ErrorText, MainFunctionObject->ToText(), outcome);
}

namespace {

// Builds the derivative or antiderivative into a target of its own, simplifies and shows it.
// The target owns the creator; both go on every path out, errors included.
template <typename TCreator, typename TConfigure>
std::string RunSymbolic(TKvMathTreeFunction& main, const std::string& varField,
                        TConfigure configure, std::string& errorText) {
    auto target = std::make_unique<TKvMathTreeFunction>();
    main.AddVariable(varField);
    auto owned = std::make_unique<TCreator>(target.get());
    TCreator& creator = *owned;
    target->SetCreator(owned.release());
    creator.SetSource(&main);
    configure(creator);
    // The field names the variable, spelt as the main store keeps it, so the result shows
    // the spelling of the expression.
    const std::string varName = main.GetVarName(main.IndexOfVar(varField));
    target->AddVariable(varName);
    creator.VarName = varName;
    creator.Execute();
    target->Simplify();
    errorText = creator.ErrorText;
    return target->ToText();
}

} // namespace

void TCalculator::RunDerivative(const TCalcRequest& request, TCalcOutcome& outcome) {
    std::string error;
    const std::string text = RunSymbolic<TKvMathDifferencer>(
        *MainFunctionObject, request.DiffVar,
        [&](TKvMathDifferencer& creator) { creator.SetOrder(request.DiffCount); }, error);
    ShowErrorOr(error, text, outcome);
}

void TCalculator::RunAntiderivative(const TCalcRequest& request, TCalcOutcome& outcome) {
    std::string error;
    const std::string text = RunSymbolic<TKvMathIntegrator>(
        *MainFunctionObject, request.DiffVar, [](TKvMathIntegrator&) {}, error);
    ShowErrorOr(error, text, outcome);
}
