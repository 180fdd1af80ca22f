#include "app/LastResult.h"

#include "app/Calculator.h"
#include "functions/FuncList.h"
#include "functions/MthTrFnc.h"
#include "platform/Locale.h"

namespace {
bool IsAsciiLetter(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}
bool IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}
} // namespace

std::string VariableNameProblem(const std::string& name) {
    if (name.empty()) return "Vor \"=\" fehlt der Name der Variablen.";
    bool valid = IsAsciiLetter(name.front());
    for (char c : name)
        valid = valid && (IsAsciiLetter(c) || IsAsciiDigit(c));
    if (!valid)
        return "\"" + name +
               "\" ist kein gültiger Variablenname: erlaubt sind ein Buchstabe, dann Buchstaben "
               "und Ziffern.";
    if (RealFunctionList().IndexOfFunction(name) >= 0)
        return "\"" + name + "\" ist eine Funktion und kann keine Variable sein.";
    return "";
}

TLastResult::TLastResult(TKvMathTreeFunction& function)
    : Function(function), Owned(function.IndexOfVar(Name) < 0) {}

void TLastResult::Record(const TCalcOutcome& outcome) {
    if (!Owned || !outcome.ResultValue) return;
    Function.AddVariable(Name);
    Function.SetVarValue(Name, *outcome.ResultValue);
    Recorded = true;
}

void TLastResult::Assigned(const std::string& name) {
    if (AnsiUpperCase(name) == AnsiUpperCase(Name)) Owned = false;
}

TLastResult::Hidden::Hidden(TLastResult& last) : Last(last) {
    if (!Last.Owned || Last.Function.IndexOfVar(Name) < 0) return;
    Kept = Last.Function.GetVarValue(Name);
    Last.Function.SetVarValue(Name, 0);
}

TLastResult::Hidden::~Hidden() {
    if (Kept != 0) Last.Function.SetVarValue(Name, Kept);
}
