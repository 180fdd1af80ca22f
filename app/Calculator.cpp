#include "app/Calculator.h"

#include <algorithm>

#include "engine/Progress.h"
#include "functions/MthTrFnc.h"
#include "parser/MathPars.h"
#include "platform/Locale.h"
#include "values/KvTypes.h"

namespace {

bool IsAsciiAlnum(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) text += "\r\n";
        text += lines[i];
    }
    return text;
}

} // namespace

TCalculator::TCalculator() : MainFunctionObject(std::make_unique<TKvMathTreeFunction>()) {
    auto parser = std::make_unique<TKvMathParser>(MainFunctionObject.get());
    ParserObject = parser.get();
    MainFunctionObject->SetCreator(parser.release());
}

TCalculator::~TCalculator() = default;

std::string TCalculator::PrepareInput(std::vector<std::string>& lines) {
    std::string expression;
    for (std::string& line : lines) {
        std::string trimmed = Trim(line);
        if (trimmed.empty()) continue;
        if (!expression.empty() && IsAsciiAlnum(expression.back()) &&
            IsAsciiAlnum(trimmed.front())) {
            trimmed.insert(0, "+");
            line.insert(0, "+");
        }
        expression += trimmed;
    }
    ParserObject->SetExpression(expression);
    return expression;
}

TCalcOutcome TCalculator::RunCalculation(const TCalcRequest& request) {
    TCalcOutcome outcome;
    outcome.InputLines = request.InputLines;
    PrepareInput(outcome.InputLines);

    const TProgressScope progress(ProgressHook);
    try {
        RunMode(request, outcome);
    } catch (const ECalculationCancelled&) {
        // Handled below: a method may also have caught it and shown its own message.
    }
    if (ProgressCancelled()) {
        outcome.ResultText = CancelledText;
        outcome.ResultIsError = true;
        outcome.ResultValue.reset();
        return outcome;
    }

    if (ParserObject->ErrorPos > 0) {
        outcome.CaretPos = ParserObject->ErrorPos - 1;
    } else {
        AddToHistory(JoinLines(outcome.InputLines));
        outcome.HistoryChanged = true;
    }
    return outcome;
}

void TCalculator::RunMode(const TCalcRequest& request, TCalcOutcome& outcome) {
    switch (request.Mode) {
    case cmNewton:
        RunNewton(request, outcome);
        break;
    case cmDerivative:
        RunDerivative(request, outcome);
        break;
    case cmAntiderivative:
        RunAntiderivative(request, outcome);
        break;
    case cmNumDerivative:
        RunNumDerivative(request, outcome);
        break;
    case cmNumIntegral:
        RunNumIntegral(request, outcome);
        break;
    case cmCurveLength:
        RunCurveLength(request, outcome);
        break;
    case cmSimplify:
        RunSimplify(request, outcome);
        break;
    default:
        RunSimple(request, outcome);
        break;
    }
}

void TCalculator::RunSimple(const TCalcRequest&, TCalcOutcome& outcome) {
    MainFunctionObject->Calculate();
    ShowErrorOrValue(MainFunctionObject->GetErrorText(), MainFunctionObject->Result, outcome);
}

void TCalculator::ShowErrorOrValue(const std::string& error, long double value,
                                   TCalcOutcome& outcome) {
    ShowErrorOr(error, error.empty() ? FloatToDisplayText(value) : std::string(), outcome);
    if (error.empty()) outcome.ResultValue = value;
}

void TCalculator::ShowErrorOr(const std::string& error, const std::string& text,
                              TCalcOutcome& outcome) {
    outcome.ResultIsError = !error.empty();
    outcome.ResultText = error.empty() ? text : error;
}

void TCalculator::AddToHistory(const std::string& text) {
    const auto found = std::find(History.begin(), History.end(), text);
    if (found != History.end()) History.erase(found);
    History.insert(History.begin(), text);
    if (static_cast<std::int64_t>(History.size()) > HistoryMaxCount) History.pop_back();
}

std::string TCalculator::VariablesHint() const {
    const TKvVarDepot& depot = *MainFunctionObject->VarDepot;
    std::string hint;
    for (std::int32_t i = 0; i < depot.Count(); ++i) {
        if (i > 0) hint += '\r';
        const long double value = depot.Variables(i)->GetAsExtended();
        hint += depot.Variables(i)->Name + "=" + ValueToText(&value, dtExtended);
    }
    return hint;
}

void TCalculator::SetStandardVariables() {
    MainFunctionObject->AddVariable("Pi");
    MainFunctionObject->SetVarValue("Pi", PiValue);
    MainFunctionObject->AddVariable("e");
    MainFunctionObject->SetVarValue("e", EValue);
}
