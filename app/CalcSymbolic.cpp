// The symbolic modes: simplification, derivative and antiderivative.
#include "app/Calculator.h"

#include <memory>

#include "calculus/MathDiff.h"
#include "calculus/MathIntg.h"
#include "engine/MathPars.h"
#include "functions/MthTrFnc.h"
#include "platform/Exceptions.h"

void TCalculator::RunSimplify(const TCalcRequest&, TCalcOutcome& outcome) {
    // The parser runs directly: Calculate would also evaluate the tree.
    ParserObject->Execute();
    MainFunctionObject->Simplify();
    ShowErrorOr(ParserObject->ErrorText, MainFunctionObject->ToText(), outcome);
}

void TCalculator::RunDerivative(const TCalcRequest& request, TCalcOutcome& outcome) {
    // The target owns the differencer; both go on every path out, errors included.
    auto target = std::make_unique<TKvMathTreeFunction>();
    MainFunctionObject->AddVariable(request.DiffVar);
    auto differencer = std::make_unique<TKvMathDifferencer>(target.get());
    TKvMathDifferencer& creator = *differencer;
    target->SetCreator(differencer.release());
    creator.SetSource(MainFunctionObject.get());
    creator.SetOrder(request.DiffCount);
    // The field names the variable, spelt as the main store keeps it, so the result shows
    // the spelling of the expression.
    const std::string varName =
        MainFunctionObject->GetVarName(MainFunctionObject->IndexOfVar(request.DiffVar));
    target->AddVariable(varName);
    creator.VarName = varName;
    creator.Execute();
    target->Simplify();
    ShowErrorOr(creator.ErrorText, target->ToText(), outcome);
}

void TCalculator::RunAntiderivative(const TCalcRequest& request, TCalcOutcome& outcome) {
    auto target = std::make_unique<TKvMathTreeFunction>();
    MainFunctionObject->AddVariable(request.DiffVar);
    auto integrator = std::make_unique<TKvMathIntegrator>(target.get());
    TKvMathIntegrator& creator = *integrator;
    target->SetCreator(integrator.release());
    creator.SetSource(MainFunctionObject.get());
    const std::string varName =
        MainFunctionObject->GetVarName(MainFunctionObject->IndexOfVar(request.DiffVar));
    target->AddVariable(varName);
    creator.VarName = varName;
    creator.Execute();
    target->Simplify();
    ShowErrorOr(creator.ErrorText, target->ToText(), outcome);
}
