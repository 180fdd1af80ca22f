// The interval methods: Simpson integration and curve length, piece by piece.
#include <cmath>
#include <exception>
#include <string>
#include <typeinfo>

#include "calculus/MathXFnc.h"
#include "engine/MathKernels.h"
#include "functions/KvTypes.h"
#include "functions/MthTrFnc.h"

namespace {

constexpr const char* ZeroWidthText = "Intervall bei der numerischen Integration ist \"0\"!";
constexpr const char* BoundsOrderText =
    "Bei der numerischen Berechnung muss \"bis\" größer als \"von\" sein!";
constexpr const char* IntervalFailedText = "Fehler bei der numerischen Berechnung!";

std::string NumberText(long double value) {
    return ValueToText(&value, dtExtended);
}

std::string IllegalIntervalText(long double lower, long double upper, long double width) {
    return "Illegale Intervallangaben: \"von\":" + NumberText(lower) +
           "  \"bis\":" + NumberText(upper) + "  \"Intervall\":" + NumberText(width);
}

std::string TooManyPiecesText() {
    return "Zu viele Teilintervalle bei der numerischen Berechnung: höchstens " +
           std::to_string(TKvMathIntervalNumFunction::MaxPieces) + " sind möglich!";
}

// With Checked, a fault of any operation raises at once, as the evaluation kernels would.
template <bool Checked> long double Step(long double value) {
    if constexpr (Checked) {
        FpuBarrier(value);
        FpuCheckFaults();
    }
    return value;
}

// Makes the values unknown to the compiler, so that a repeated computation runs again instead
// of reusing results from before a clear of the flags.
template <typename... T> void Opaque(T&... values) {
    (FpuBarrier(values), ...);
}

// Simpson's rule over the piece from a to b.
template <bool Checked>
long double SimpsonArea(long double a, long double b, long double fa, long double fm,
                        long double fb) {
    return Step<Checked>((b - a) / 6 * Step<Checked>(fa + 4 * fm + fb));
}

// The length of the arc from (a, fa) through (m, fm) to (b, fb).
template <bool Checked>
long double ArcLength(long double a, long double m, long double b, long double fa, long double fm,
                      long double fb) {
    const long double s1 = Step<Checked>((fm - fa) / (m - a));
    const long double s2 = Step<Checked>((fm - fb) / (m - b));
    const long double dy = Step<Checked>(fb - fa);
    const long double chord = Step<Checked>(std::sqrt(Step<Checked>(dy * dy + (b - a) * (b - a))));
    if (s1 == s2) return chord;

    const auto bisector = [](long double slope, long double x1, long double y1, long double x2,
                             long double y2, long double& p, long double& k) {
        p = Step<Checked>(-1 / slope);
        k = Step<Checked>((y1 + y2) / 2 - Step<Checked>(p * (x1 + x2) / 2));
    };
    long double p1 = 0, k1 = 0, p2 = 0, k2 = 0, cx, cy;
    if (s1 == 0) {
        bisector(s2, m, fm, b, fb, p2, k2);
        cx = (a + m) / 2;
        cy = Step<Checked>(p2 * cx + k2);
    } else if (s2 == 0) {
        bisector(s1, a, fa, m, fm, p1, k1);
        cx = (m + b) / 2;
        cy = Step<Checked>(p1 * cx + k1);
    } else {
        bisector(s1, a, fa, m, fm, p1, k1);
        bisector(s2, m, fm, b, fb, p2, k2);
        cx = Step<Checked>((k2 - k1) / Step<Checked>(p1 - p2));
        cy = Step<Checked>(p1 * cx + k1);
    }
    const long double r =
        Step<Checked>(std::sqrt(Step<Checked>((cy - fa) * (cy - fa) + (cx - a) * (cx - a))));
    const long double z = Step<Checked>(chord / (2 * r));
    return Step<Checked>(r * 2 * Step<Checked>(std::atan2(z, Step<Checked>(std::sqrt(1 - z * z)))));
}

} // namespace

void TKvMathIntervalNumFunction::SetIntervalWidth(long double width) {
    if (!(width > 0)) throw EKvIllegalIntIntervall(ZeroWidthText);
    IntervalWidth = width;
}

void TKvMathIntervalNumFunction::Calculate() {
    Result = 0;
    const TRunScope run(*this);
    try {
        FpuClearFaults();
        if (!(Checked(UpperBound - LowerBound) > 0)) throw EKvIllegalIntIntervall(BoundsOrderText);
        const long double pieces = Checked(std::trunc((UpperBound - LowerBound) / IntervalWidth));
        // Refused rather than cut to 32 bits, which would give a wrong count.
        if (pieces > MaxPieces) throw EKvIllegalIntIntervall(TooManyPiecesText());
        const auto count = static_cast<std::int32_t>(pieces);
        if (count <= 0)
            throw EKvIllegalIntIntervall(
                IllegalIntervalText(LowerBound, UpperBound, IntervalWidth));
        TProgressTicker ticker;
        long double lower = LowerBound, width = IntervalWidth;
        // Both ends come from i, so no rounding accumulates along the interval.
        for (std::int32_t i = 1; i <= count; ++i) {
            if (ticker.Tick(i, count)) ForgetCompiled();
            const std::uint32_t seed = RandSeed;
            long double a = lower + static_cast<long double>(i - 1) * width;
            long double b = lower + static_cast<long double>(i) * width;
            // The ends, the piece and the sum with one fault test.
            long double piece;
            if (UncheckedPieceValue(a, b, piece)) [[likely]] {
                long double sum = Result + piece;
                FpuBarrier(sum);
                if (FpuRaisedFaults() == 0) [[likely]] {
                    Result = sum;
                    continue;
                }
            }
            // Once more with a test after each operation, the ends computed again so that a
            // fault of theirs is raised again, and from the same seed.
            FpuClearFaults();
            RandSeed = seed;
            Opaque(lower, width);
            a = lower + static_cast<long double>(i - 1) * width;
            b = lower + static_cast<long double>(i) * width;
            Result = Checked(Result + PieceValue(a, b));
        }
        const long double end = LowerBound + static_cast<long double>(count) * IntervalWidth;
        if (UpperBound > end) Result = Checked(Result + PieceValue(end, UpperBound));
    } catch (const EKvIllegalIntIntervall& e) {
        SetErrorText(e.what());
    } catch (const std::exception& e) {
        if (GetErrorText().empty()) SetErrorText(e.what());
        if (GetErrorText().empty()) SetErrorText(IntervalFailedText);
    } catch (...) {
        if (GetErrorText().empty()) SetErrorText(IntervalFailedText);
    }
}

bool TKvMathIntgNumFunction::UncheckedPieceValue(long double a, long double b, long double& value) {
    return typeid(*this) == typeid(TKvMathIntgNumFunction) && UncheckedArea(a, b, value);
}

bool TKvMathIntgNumFunction::UncheckedArea(long double a, long double b, long double& area) {
    const long double m = (a + b) * 0.5L;
    long double fa, fm, fb;
    if (!UncheckedValuesAt(a, m, b, fa, fm, fb)) return false;
    area = SimpsonArea<false>(a, b, fa, fm, fb);
    return true;
}

// Simpson's rule, the integral of the parabola through the ends and the midpoint. Solving for
// the parabola's coefficients first would cancel away most digits once the bounds are large
// against the width; this form keeps them.
long double TKvMathIntgNumFunction::PieceValue(long double a, long double b) {
    const long double m = (a + b) * 0.5L;
    // A fault of the arithmetic that produced the points comes before any evaluation.
    Checked(a);
    const std::uint32_t seed = RandSeed;
    long double area;
    if (UncheckedArea(a, b, area)) {
        FpuBarrier(area);
        if (FpuRaisedFaults() == 0) [[likely]]
            return area;
    }
    // One evaluation at a time, each tested, when the group raised a flag or cannot run.
    FpuClearFaults();
    RandSeed = seed;
    long double fa = ValueAt(a);
    long double fm = NextValueAt(m);
    long double fb = NextValueAt(b);
    // The flags are clear after an evaluation. The arithmetic runs once without a test after
    // each operation; only when it raised a flag does it run again with them, so that the
    // first faulting operation is the one reported.
    area = SimpsonArea<false>(a, b, fa, fm, fb);
    FpuBarrier(area);
    if (FpuRaisedFaults() == 0) [[likely]]
        return area;
    FpuClearFaults();
    Opaque(a, b, fa, fm, fb);
    return SimpsonArea<true>(a, b, fa, fm, fb);
}

bool TKvMathLenNumFunction::UncheckedPieceValue(long double a, long double b, long double& value) {
    return typeid(*this) == typeid(TKvMathLenNumFunction) && UncheckedLength(a, b, value);
}

bool TKvMathLenNumFunction::UncheckedLength(long double a, long double b, long double& length) {
    const long double m = (a + b) * 0.5L;
    long double fa, fb, fm;
    if (!UncheckedValuesAt(a, b, m, fa, fb, fm)) return false;
    length = ArcLength<false>(a, m, b, fa, fm, fb);
    return true;
}

// The circular arc through the ends and the midpoint, its centre where the perpendicular
// bisectors of the two half chords meet. A vertical bisector's slope is never formed.
long double TKvMathLenNumFunction::PieceValue(long double a, long double b) {
    long double m = (a + b) * 0.5L;
    // Grouped as for the Simpson piece.
    Checked(a);
    const std::uint32_t seed = RandSeed;
    long double length;
    if (UncheckedLength(a, b, length)) {
        FpuBarrier(length);
        if (FpuRaisedFaults() == 0) [[likely]]
            return length;
    }
    FpuClearFaults();
    RandSeed = seed;
    long double fa = ValueAt(a);
    long double fb = NextValueAt(b);
    long double fm = NextValueAt(m);
    // Unchecked first, as for the Simpson piece.
    length = ArcLength<false>(a, m, b, fa, fm, fb);
    FpuBarrier(length);
    if (FpuRaisedFaults() == 0) [[likely]]
        return length;
    FpuClearFaults();
    Opaque(a, m, b, fa, fm, fb);
    return ArcLength<true>(a, m, b, fa, fm, fb);
}
