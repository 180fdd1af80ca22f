#include "app/StartUp.h"

#include "app/Calculator.h"
#include "app/CommandLineRequest.h"
#include "functions/MthTrFnc.h"
#include "parser/MathPars.h"
#include "values/KvTypes.h"

bool ApplyCommandLine(const TKvMathCommandLine& commandLine, TCalculator& calculator,
                      TCalcRequest& request, bool& panelVisible) {
    calculator.Parser().SetExpression(commandLine.Expression);
    request.InputLines = {commandLine.Expression};

    TKvMathTreeFunction& function = calculator.MainFunction();
    for (std::int32_t i = 0; i < commandLine.VarListCount(); ++i) {
        const std::string& name = commandLine.VarNameAt(i);
        function.AddVariable(name);
        long double value;
        if (commandLine.VarValueAt(i, value)) function.SetVarValue(name, value);
    }

    const std::string& var = commandLine.VarName;
    const auto currentValue = [&] { return FloatToDisplayText(function.GetVarValue(var)); };
    if (commandLine.DiffLevel > 0) {
        function.AddVariable(var);
        panelVisible = true;
        if (commandLine.DoNumeric) {
            request.Mode = cmNumDerivative;
            request.DiffNumVar = var;
            request.DiffNumCount = commandLine.DiffLevel;
            request.DiffNumXText = currentValue();
        } else {
            request.Mode = cmDerivative;
            request.DiffVar = var;
            request.DiffCount = commandLine.DiffLevel;
        }
    } else if (commandLine.DoIntegrate) {
        function.AddVariable(var);
        panelVisible = true;
        if (commandLine.DoNumeric) {
            request.Mode = cmNumIntegral;
            request.IntgNumVar = var;
            request.IntgNumFromText = currentValue();
            request.IntgNumToText = FloatToDisplayText(commandLine.UpperBound);
            request.IntgNumIntvText = FloatToDisplayText(commandLine.IntervalWidth);
        } else {
            request.Mode = cmAntiderivative;
            request.DiffVar = var;
        }
    } else if (commandLine.DoNewton) {
        function.AddVariable(var);
        panelVisible = true;
        request.Mode = cmNewton;
        request.IterVar = var;
        request.StartText = currentValue();
    } else if (commandLine.DoSimplify) {
        panelVisible = true;
        request.Mode = cmSimplify;
        return true;
    }
    return false;
}

std::string SimplifyForStart(TCalculator& calculator) {
    calculator.Parser().Execute();
    calculator.MainFunction().Simplify();
    const std::string& error = calculator.Parser().ErrorText;
    return error.empty() ? calculator.MainFunction().ToText() : error;
}
