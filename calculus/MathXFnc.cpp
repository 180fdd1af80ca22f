// The base of the numeric methods, the iteration base and Newton's method.
#include "calculus/MathXFnc.h"

#include <cmath>

#include "functions/MthTrFnc.h"

namespace {

constexpr const char* NoRunningVarText = "No index for a running variable was set!";
constexpr const char* UnknownRunningVarText = "Die Laufvariable gehört nicht zur Funktion!";
constexpr const char* DiffNullText = "Ableitung im Newtonverfahren ist Null!";
constexpr const char* NoResultText = "Newtonverfahren konvergiert nicht!";
constexpr const char* NewtonFailedText = "Fehler in Newton-Verfahren!";

constexpr std::int32_t UnlimitedIterations = 2147483647;

} // namespace

TKvMathUseOtherFunction::~TKvMathUseOtherFunction() {
    if (!BorrowedFunction) delete OtherFunction;
}

long double TKvMathUseOtherFunction::GetVarValue(const std::string& name) const {
    return OtherFunction->GetVarValue(name);
}

void TKvMathUseOtherFunction::SetVarValue(const std::string& name, long double value) {
    OtherFunction->SetVarValue(name, value);
}

long double TKvMathUseOtherFunction::GetVarValueByIndex(std::int32_t index) const {
    return OtherFunction->GetVarValueByIndex(index);
}

void TKvMathUseOtherFunction::SetVarValueByIndex(std::int32_t index, long double value) {
    OtherFunction->SetVarValueByIndex(index, value);
}

std::string TKvMathUseOtherFunction::GetVarName(std::int32_t index) const {
    return OtherFunction->GetVarName(index);
}

std::int32_t TKvMathUseOtherFunction::IndexOfVar(const std::string& name) const {
    return OtherFunction->IndexOfVar(name);
}

std::int32_t TKvMathUseOtherFunction::VarCount() const {
    return OtherFunction->VarCount();
}

std::string TKvMathUseOtherFunction::GetErrorText() const {
    return OtherFunction->GetErrorText();
}

void TKvMathUseOtherFunction::SetErrorText(const std::string& text) {
    OtherFunction->SetErrorText(text);
}

void TKvMathUseOtherFunction::SetRunningVariable(const std::string& name) {
    RunVarIndex = OtherFunction->IndexOfVar(name);
}

long double TKvMathUseOtherFunction::ValueAt(long double x) {
    Checked(x);
    if (RunVarIndex < 0 || RunVarIndex >= OtherFunction->VarCount())
        throw EKvNoRunningVarIndex(UnknownRunningVarText);
    OtherFunction->SetVarValueByIndex(RunVarIndex, x);
    OtherFunction->Calculate();
    return OtherFunction->Result;
}

TKvMathIteratedFunction::TKvMathIteratedFunction(TKvMathTreeFunction* other)
    : TKvMathUseOtherFunction(other) {
    RunVarIndex = -1;
}

void TKvMathIteratedFunction::Calculate() {
    if (RunVarIndex < 0) throw EKvNoRunningVarIndex(NoRunningVarText);
}

void TKvMathNewtonFunction::Calculate() {
    TKvMathIteratedFunction::Calculate();
    try {
        FpuClearFaults();
        const std::int32_t limit = MaxIterations == 0 ? UnlimitedIterations : MaxIterations;
        long double x = OtherFunction->GetVarValueByIndex(RunVarIndex);
        bool converged = false;
        TProgressTicker ticker;
        // limit + 1 steps; the count is wider than the limit so that the unlimited case ends.
        for (std::int64_t step = 0; step <= limit && !converged; ++step) {
            ticker.Tick(step, std::int64_t{limit} + 1);
            const long double y = ValueAt(x);
            const long double y2 = ValueAt(x + DiffStep);
            // The flags keep a fault of the step's arithmetic until the one test at its end; a
            // quotient that faulted is infinite or not a number, never 0, and every fault here
            // ends the same way.
            const long double d = (y2 - y) / DiffStep;
            if (d == 0) throw EKvDiffNull(DiffNullText);
            const long double previous = x;
            x = x - y / d;
            converged = Delta >= Checked(std::fabs(previous - x));
        }
        if (!converged) throw EKvNoResult(NoResultText);
        Result = x;
    } catch (const EKvDiffNull& e) {
        SetErrorText(e.what());
    } catch (const EKvNoResult& e) {
        SetErrorText(e.what());
    } catch (...) {
        if (GetErrorText().empty()) SetErrorText(NewtonFailedText);
    }
}
