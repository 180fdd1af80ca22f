// The numeric derivative: the forward quotient for the first order, central difference stencils
// above it.
#include <array>
#include <cmath>
#include <string>

#include "calculus/MathXFnc.h"
#include "calculus/NumericRules.h"
#include "engine/FaultReplay.h"
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

// An evaluation beside the point failed; its message stands instead of a result.
class EFailedSample : public Exception {
public:
    EFailedSample() : Exception(DiffNumFailedText) {}
};

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
        FailedText.clear();
        const long double x0 = OtherFunction->GetVarValueByIndex(RunVarIndex);
        Result = NumDerivative(Order, x0);
    } catch (...) {
        if (GetErrorText().empty()) SetErrorText(DiffNumFailedText);
    }
}

long double TKvMathDiffNumFunction::NumDerivative(std::int32_t n, long double x) {
    if (n < 1) throw EKvIllegalDiffNumLevel(NoSuchOrderText(n));
    if (n > MaxOrder) throw EKvIllegalDiffNumLevel(OrderTooHighText());
    if (n == 1) return ForwardQuotient(x);
    return CentralQuotient(n, x);
}

long double TKvMathDiffNumFunction::ForwardQuotient(long double x) {
    const long double step = NumericRules::ScaledStep(DiffStep, x);
    // A fault of the sum that made the point beside comes before any evaluation.
    const std::array<long double, 2> points = {Checked(x + step), x};
    std::array<long double, 2> values;
    Sample(points.data(), 2, values.data());
    RefuseFailedSamples();
    // Beyond 1 the point beside is rounded to a coarser grid, by as much as a part in 10^9 of
    // the step; the distance actually taken is exact.
    const long double distance = std::fabs(x) > 1 ? points[0] - x : step;
    return Checked((values[0] - values[1]) / distance);
}

long double TKvMathDiffNumFunction::CentralQuotient(std::int32_t n, long double x) {
    const long double value = NumericRules::CentralDerivative(
        n, x, [this](const long double* points, int count, long double* values) {
            // A fault of the sums that made the points comes before any evaluation.
            Checked(points[0]);
            Sample(points, count, values);
        });
    RefuseFailedSamples();
    return Checked(value);
}

void TKvMathDiffNumFunction::Sample(const long double* points, int count, long double* values) {
    const TFaultReplay replay;
    int done = 0;
    while (done < count && UncheckedValueAt(points[done], values[done]))
        ++done;
    if (done == count && replay.Clean(values[count - 1])) [[likely]]
        return;
    // Again one evaluation at a time from the same seed, so that each message is its own.
    replay.Rewind();
    for (int k = 0; k < count; ++k) {
        values[k] = ValueAt(points[k]);
        if (FailedText.empty()) FailedText = GetErrorText();
    }
}

// A failed evaluation counts as 0, which would make the quotient plainly wrong: its message
// stands instead of a result. One that the last evaluation, at the point itself, left in place
// is shown anyway.
void TKvMathDiffNumFunction::RefuseFailedSamples() {
    if (FailedText.empty() || !GetErrorText().empty()) return;
    SetErrorText(FailedText);
    throw EFailedSample();
}
