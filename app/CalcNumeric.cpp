// The numeric modes: Newton's method, numeric derivative, Simpson integral and curve length.
//
// Each mode parses first: a method would evaluate the failed parse as the value 0 and report
// on that instead of the syntax error. Method objects borrow MainFunction and are owned here,
// so they go on every path out of a mode.
#include <memory>

#include "app/Calculator.h"
#include "calculus/MathXFnc.h"
#include "functions/MthTrFnc.h"
#include "parser/MathPars.h"
#include "platform/Locale.h"
#include "values/KvTypes.h"

namespace {

// True when the input parsed; otherwise the parser's ErrorText tells why.
bool ParseInput(TKvMathParser& parser) {
    parser.Execute();
    return parser.ErrorText.empty();
}

template <class TMethod> std::unique_ptr<TMethod> BorrowingMethod(TKvMathTreeFunction& function) {
    auto method = std::make_unique<TMethod>(&function);
    method->BorrowedFunction = true;
    return method;
}

void RunIntervalMethod(TKvMathIntervalNumFunction& method, TKvMathTreeFunction& function,
                       const std::string& variable, const std::string& fromText,
                       const std::string& toText, const std::string& widthText) {
    function.AddVariable(variable);
    method.LowerBound = StrToFloat(fromText);
    method.UpperBound = StrToFloat(toText);
    method.SetIntervalWidth(StrToFloat(widthText));
    method.SetRunningVariable(variable);
    method.Calculate();
}

} // namespace

std::string DefaultIntervalWidthText() {
    return std::string("0") + DecimalSeparator() + "1";
}

void TCalculator::RunNewton(const TCalcRequest& request, TCalcOutcome& outcome) {
    if (!ParseInput(*ParserObject)) return ShowErrorOr(ParserObject->ErrorText, "", outcome);
    const auto method = BorrowingMethod<TKvMathNewtonFunction>(*MainFunctionObject);
    method->MaxIterations = request.MaxIter;
    method->Delta = StrToFloat(request.DeltaText);
    MainFunctionObject->AddVariable(request.IterVar);
    method->SetRunningVariable(request.IterVar);
    MainFunctionObject->SetVarValue(request.IterVar, StrToFloat(request.StartText));
    method->Calculate();
    ShowErrorOrValue(method->GetErrorText(), method->Result, outcome);
}

void TCalculator::RunNumDerivative(const TCalcRequest& request, TCalcOutcome& outcome) {
    if (!ParseInput(*ParserObject)) return ShowErrorOr(ParserObject->ErrorText, "", outcome);
    const auto method = BorrowingMethod<TKvMathDiffNumFunction>(*MainFunctionObject);
    method->SetOrder(request.DiffNumCount);
    MainFunctionObject->AddVariable(request.DiffNumVar);
    method->SetRunningVariable(request.DiffNumVar);
    MainFunctionObject->SetVarValue(request.DiffNumVar, StrToFloat(request.DiffNumXText));
    method->Calculate();
    ShowErrorOrValue(method->GetErrorText(), method->Result, outcome);
}

void TCalculator::RunNumIntegral(const TCalcRequest& request, TCalcOutcome& outcome) {
    if (!ParseInput(*ParserObject)) return ShowErrorOr(ParserObject->ErrorText, "", outcome);
    const auto method = BorrowingMethod<TKvMathIntgNumFunction>(*MainFunctionObject);
    RunIntervalMethod(*method, *MainFunctionObject, request.IntgNumVar, request.IntgNumFromText,
                      request.IntgNumToText, request.IntgNumIntvText);
    ShowErrorOrValue(method->GetErrorText(), method->Result, outcome);
}

void TCalculator::RunCurveLength(const TCalcRequest& request, TCalcOutcome& outcome) {
    if (!ParseInput(*ParserObject)) return ShowErrorOr(ParserObject->ErrorText, "", outcome);
    const auto method = BorrowingMethod<TKvMathLenNumFunction>(*MainFunctionObject);
    RunIntervalMethod(*method, *MainFunctionObject, request.LenNumVar, request.LenNumFromText,
                      request.LenNumToText, request.LenNumIntvText);
    ShowErrorOrValue(method->GetErrorText(), method->Result, outcome);
}
