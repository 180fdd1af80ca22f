// The numeric derivative by nested difference quotients.
#include <cmath>
#include <string>

#include "calculus/MathXFnc.h"
#include "engine/MathKernels.h"
#include "functions/MthTrFnc.h"

namespace {

constexpr const char* DiffNumFailedText = "Fehler bei der numerischen Differenzierung";

std::string NoSuchOrderText(std::int32_t n) {
    return "Es gibt keine " + std::to_string(n) + ". Ableitung!";
}

std::string OrderTooHighText() {
    return "Die numerische Ableitung ist höchstens bis zur " +
           std::to_string(TKvMathDiffNumFunction::MaxOrder) + ". Ordnung möglich!";
}

} // namespace

void TKvMathDiffNumFunction::SetOrder(std::int32_t n) {
    if (n < 1) throw EKvIllegalDiffNumLevel(NoSuchOrderText(n));
    if (n > MaxOrder) throw EKvIllegalDiffNumLevel(OrderTooHighText());
    Order = n;
}

void TKvMathDiffNumFunction::Calculate() {
    const TRunScope run(*this);
    try {
        FpuClearFaults();
        Ticker = TProgressTicker();
        Evaluations = 0;
        TotalEvaluations = std::int64_t{1} << Order;
        const long double x0 = OtherFunction->GetVarValueByIndex(RunVarIndex);
        Result = NumDerivative(Order, x0);
    } catch (...) {
        if (GetErrorText().empty()) SetErrorText(DiffNumFailedText);
    }
}

// The step changes direction with the order, so that the second derivative is the centred
// quotient. The evaluation away from x comes first, so the last one is at x itself.
long double TKvMathDiffNumFunction::NumDerivative(std::int32_t n, long double x) {
    if (n < 1) throw EKvIllegalDiffNumLevel(NoSuchOrderText(n));
    const long double step = n % 2 != 0 ? DiffStep : -DiffStep;
    // A fault of this sum is raised by the next evaluation's check, before anything else runs.
    const long double beside = x + step;
    if (n == 1) return FirstQuotient(beside, x, step);
    const long double fBeside = NumDerivative(n - 1, beside);
    const long double fHere = NumDerivative(n - 1, x);
    return Checked((fBeside - fHere) / step);
}

long double TKvMathDiffNumFunction::FirstQuotient(long double beside, long double x,
                                                  long double step) {
    // The sum that made beside is tested first: its fault comes before any evaluation.
    Checked(beside);
    const std::uint32_t seed = RandSeed;
    long double fBeside, fHere;
    Tick();
    if (UncheckedValueAt(beside, fBeside)) {
        Tick();
        if (UncheckedValueAt(x, fHere)) [[likely]] {
            long double quotient = (fBeside - fHere) / step;
            FpuBarrier(quotient);
            if (FpuRaisedFaults() == 0) [[likely]]
                return quotient;
        }
        FpuClearFaults();
        RandSeed = seed;
        FpuBarrier(x);
        fBeside = ValueAt(beside);
        fHere = ValueAt(x);
        return Checked((fBeside - fHere) / step);
    }
    fBeside = ValueAt(beside);
    fHere = Sample(x);
    return Checked((fBeside - fHere) / step);
}

void TKvMathDiffNumFunction::Tick() {
    if (Ticker.Tick(++Evaluations, TotalEvaluations)) ForgetCompiled();
}

long double TKvMathDiffNumFunction::Sample(long double x) {
    Tick();
    return ValueAt(x);
}
