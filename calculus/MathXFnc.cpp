// The base of the numeric methods, the iteration base and Newton's method.
#include "calculus/MathXFnc.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <typeinfo>

#include "engine/FaultReplay.h"
#include "functions/MthTrFnc.h"

namespace {

constexpr const char* NoRunningVarText = "No index for a running variable was set!";
constexpr const char* UnknownRunningVarText = "Die Laufvariable gehört nicht zur Funktion!";
constexpr const char* DiffNullText = "Ableitung im Newtonverfahren ist Null!";
constexpr const char* NoResultText = "Newtonverfahren konvergiert nicht!";
constexpr const char* NewtonFailedText = "Fehler in Newton-Verfahren!";

constexpr std::int32_t UnlimitedIterations = 2147483647;

using NumericRules::RoundingStep;
using NumericRules::ScaledStep;
using NumericRules::Settled;

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
    return Evaluated(x);
}

long double TKvMathUseOtherFunction::NextValueAt(long double x) {
    if (!LastDirect) Checked(x);
    return Evaluated(x);
}

long double TKvMathUseOtherFunction::CompiledOrFastValue() {
    TKvOperatorNode& tree = *OtherFunction->GetTree();
    if (InRun && !CompileRefused) {
        const TKvCompiledTree::TResult result = Compiled.Compile(tree);
        if (result == TKvCompiledTree::TResult::Compiled) {
            // Only ever called right after DirectSlot resolved the buffer.
            CompiledSlot = static_cast<long double*>(SlotVariable->Value);
            return Compiled.Value();
        }
        // Messages left by a failed evaluation go with the next successful one.
        CompileRefused = result == TKvCompiledTree::TResult::Refused;
    }
    return tree.GetFastValue()(tree);
}

long double TKvMathUseOtherFunction::Evaluated(long double x) {
    if (long double* slot = DirectSlot()) [[likely]] {
        // What SetVarValueByIndex and Calculate do for a plain tree function, without the
        // virtual calls and the store's lookup. The flags are clear here, so a raised one
        // belongs to this evaluation, which then runs again checked, from the same seed.
        *slot = x;
        LastDirect = true;
        const TFaultReplay replay;
        const long double value = FastTreeValue();
        if (replay.Clean(value)) [[likely]] {
            OtherFunction->TakeFaultlessValue(value);
            return value;
        }
        replay.Rewind();
        // The checked run may leave messages in the nodes, which the program does not clear.
        ForgetCompiled();
        OtherFunction->TKvMathTreeFunction::Calculate();
        return OtherFunction->Result;
    }
    LastDirect = false;
    if (RunVarIndex < 0 || RunVarIndex >= OtherFunction->VarCount())
        throw EKvNoRunningVarIndex(UnknownRunningVarText);
    OtherFunction->SetVarValueByIndex(RunVarIndex, x);
    OtherFunction->Calculate();
    return OtherFunction->Result;
}

long double* TKvMathUseOtherFunction::ResolveSlot() {
    TKvMathTreeFunction* function = OtherFunction;
    SlotFunction = nullptr;
    SlotVariable = nullptr;
    ForgetCompiled();
    if (function == nullptr || function->VarDepot == nullptr) return nullptr;
    SlotFunction = function;
    SlotDepot = function->VarDepot;
    SlotTree = function->GetTree();
    SlotIndex = RunVarIndex;
    SlotCount = SlotDepot->Count();
    // A subclass may set variables or calculate in its own way; without a tree the creator
    // builds one first.
    if (typeid(*function) != typeid(TKvMathTreeFunction) || SlotTree == nullptr || SlotIndex < 0 ||
        SlotIndex >= SlotCount)
        return nullptr;
    SlotVariable = SlotDepot->Variables(SlotIndex);
    if (SlotVariable->DataType != dtExtended) return nullptr;
    return static_cast<long double*>(SlotVariable->Value);
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
    const TRunScope run(*this);
    try {
        FpuClearFaults();
        const std::int32_t limit = MaxIterations == 0 ? UnlimitedIterations : MaxIterations;
        TIterate at{OtherFunction->GetVarValueByIndex(RunVarIndex)};
        // Whether a flag may have been raised since the last test.
        bool untested = true;
        TProgressTicker ticker;
        const std::int64_t total = std::int64_t{limit} + 1;
        // Steps still to take one at a time, after their run found a flag.
        std::int64_t singles = 0;
        // limit + 1 steps; the count is wider than the limit so that the unlimited case ends.
        for (std::int64_t step = 0; step <= limit && !at.Converged; ++step) {
            if (ticker.Tick(step, total)) {
                untested = true;
                ForgetCompiled();
            }
            if (untested) Checked(at.X);
            // This step and the next ones that the ticker lets pass without asking its hook
            // share one fault test. After a flag this step alone, and then the rest of the run
            // one at a time; a step whose own test finds a flag is taken checked.
            const std::int64_t last =
                singles > 0
                    ? step
                    : std::min({step + GroupSteps - 1, std::int64_t{limit}, step + ticker.Quiet()});
            if (singles > 0) --singles;
            bool clean = UncheckedSteps(at, step, last, ticker, total);
            if (!clean && last > step) {
                singles = last - step;
                clean = UncheckedSteps(at, step, step, ticker, total);
            }
            if (!clean) CheckedStep(at);
            // The comparison raises the invalid flag for a NaN, which the next step reports.
            untested = std::isnan(at.Change) || std::isnan(Delta);
        }
        if (!at.Converged) throw EKvNoResult(NoResultText);
        Result = at.X;
    } catch (const EKvDiffNull& e) {
        SetErrorText(e.what());
    } catch (const EKvNoResult& e) {
        SetErrorText(e.what());
    } catch (...) {
        if (GetErrorText().empty()) SetErrorText(NewtonFailedText);
    }
}

// Evaluations and arithmetic without a test; a zero quotient raises a flag too.
bool TKvMathNewtonFunction::UncheckedSteps(TIterate& at, std::int64_t& step, std::int64_t last,
                                           TProgressTicker& ticker, std::int64_t total) {
    const TFaultReplay replay;
    long double x = at.X, y, y2, h = ScaledStep(DiffStep, x);
    std::int64_t reached = step;
    while (UncheckedValueAt(x, y) && UncheckedValueAt(x + h, y2)) {
        const long double d = (y2 - y) / h;
        const long double next = x - y / d;
        const long double change = std::fabs(x - next);
        x = next;
        const bool converged = Delta >= change || Settled(change, x);
        if (converged || reached == last) {
            FpuBarrier(x);
            if (!replay.Clean(change)) [[unlikely]]
                break;
            at = {x, change, converged};
            step = reached;
            return true;
        }
        if (ticker.Tick(++reached, total)) ForgetCompiled();
        h = ScaledStep(DiffStep, x);
    }
    replay.Rewind(at.X);
    return false;
}

void TKvMathNewtonFunction::CheckedStep(TIterate& at) {
    const long double x = at.X;
    long double h = ScaledStep(DiffStep, x);
    const long double y = ValueAt(x);
    // A failed value counts as 0, so a step from a point where the expression has no value
    // moves by nothing and would pass for converged although that point is no zero.
    const std::string failure = OtherFunction->GetErrorText();
    long double y2 = ValueAt(x + h);
    // A quotient that faulted is infinite or not a number, never 0, and every fault here ends
    // the same way.
    long double d = (y2 - y) / h;
    // Far from 0 in its values, a function may not change within its own rounding over the
    // step: once more over a step that shows such a change.
    if (d == 0 && RoundingStep(y) > h) {
        h = RoundingStep(y);
        y2 = ValueAt(x + h);
        d = (y2 - y) / h;
    }
    if (d == 0) throw EKvDiffNull(DiffNullText);
    at.X = x - y / d;
    at.Change = Checked(std::fabs(x - at.X));
    at.Converged = Delta >= at.Change || Settled(at.Change, at.X);
    if (at.Converged && !failure.empty()) throw EKvNoResult(failure);
}
