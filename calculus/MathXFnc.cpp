// The base of the numeric methods, the iteration base and Newton's method.
#include "calculus/MathXFnc.h"

#include <algorithm>
#include <cmath>
#include <typeinfo>

#include "engine/MathKernels.h"
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

// Whether no fault flag is raised once value has been computed.
bool NoFaultAfter(long double value) {
    FpuBarrier(value);
    return FpuRaisedFaults() == 0;
}

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
        const std::uint32_t seed = RandSeed;
        long double value = FastTreeValue();
        if (NoFaultAfter(value)) [[likely]] {
            OtherFunction->TakeFaultlessValue(value);
            return value;
        }
        RandSeed = seed;
        FpuClearFaults();
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
        long double x = OtherFunction->GetVarValueByIndex(RunVarIndex);
        bool converged = false;
        // Whether a flag may have been raised since the last test.
        bool untested = true;
        TProgressTicker ticker;
        const std::int64_t total = std::int64_t{limit} + 1;
        // Steps still to take one at a time, after their group found a flag.
        std::int64_t replay = 0;
        // limit + 1 steps; the count is wider than the limit so that the unlimited case ends.
        for (std::int64_t step = 0; step <= limit && !converged; ++step) {
            if (ticker.Tick(step, total)) {
                untested = true;
                ForgetCompiled();
            }
            if (untested) Checked(x);
            const std::uint32_t seed = RandSeed;
            const bool single = replay > 0;
            if (single) --replay;
            // This step and the next ones that the ticker lets pass without asking its hook,
            // evaluations and arithmetic, with one fault test for all. A zero quotient raises
            // a flag too. After a flag the group starts again from the same x and seed, one
            // step at a time.
            std::int64_t last =
                single
                    ? step
                    : std::min({step + GroupSteps - 1, std::int64_t{limit}, step + ticker.Quiet()});
            const long double start = x;
            std::int64_t reached = step;
            bool grouped = false;
            long double change = 0;
            for (;;) {
                long double y, y2, h = ScaledStep(DiffStep, x);
                while (UncheckedValueAt(x, y) && UncheckedValueAt(x + h, y2)) {
                    const long double d = (y2 - y) / h;
                    const long double next = x - y / d;
                    change = std::fabs(x - next);
                    x = next;
                    converged = Delta >= change || Settled(change, x);
                    if (converged || reached == last) {
                        grouped = true;
                        break;
                    }
                    if (ticker.Tick(++reached, total)) ForgetCompiled();
                    h = ScaledStep(DiffStep, x);
                }
                FpuBarrier(x);
                if (grouped && NoFaultAfter(change)) [[likely]]
                    break;
                grouped = false;
                FpuClearFaults();
                RandSeed = seed;
                x = start;
                converged = false;
                reached = step;
                FpuBarrier(x);
                if (last == step) break;
                replay = last - step;
                last = step;
            }
            if (grouped) [[likely]] {
                step = reached;
                // The comparison raises the invalid flag for a NaN, which the next step reports.
                untested = std::isnan(change) || std::isnan(Delta);
                continue;
            }
            // The step once more one operation at a time, so that the first fault is the one
            // reported.
            long double h = ScaledStep(DiffStep, x);
            const long double y = ValueAt(x);
            long double y2 = ValueAt(x + h);
            // A quotient that faulted is infinite or not a number, never 0, and every fault
            // here ends the same way.
            long double d = (y2 - y) / h;
            // Far from 0 in its values, a function may not change within its own rounding over
            // the step: once more over a step that shows such a change.
            if (d == 0 && RoundingStep(y) > h) {
                h = RoundingStep(y);
                y2 = ValueAt(x + h);
                d = (y2 - y) / h;
            }
            if (d == 0) throw EKvDiffNull(DiffNullText);
            const long double previous = x;
            x = x - y / d;
            change = Checked(std::fabs(previous - x));
            converged = Delta >= change || Settled(change, x);
            untested = std::isnan(change) || std::isnan(Delta);
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
