// The interval methods: Simpson integration and curve length, piece by piece.
#include <algorithm>
#include <cmath>
#include <exception>
#include <string>
#include <typeinfo>

#include "calculus/MathXFnc.h"
#include "calculus/NumericRules.h"
#include "engine/FaultReplay.h"
#include "functions/MthTrFnc.h"
#include "values/KvTypes.h"

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

} // namespace

using NumericRules::ArcLength;
using NumericRules::SimpsonArea;

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
        const long double quotient = Checked((UpperBound - LowerBound) / IntervalWidth);
        const NumericRules::TPieceCut cut =
            NumericRules::CutInterval(LowerBound, UpperBound, IntervalWidth, quotient);
        // Refused rather than cut to 32 bits, which would give a wrong count.
        if (cut.Count > MaxPieces) throw EKvIllegalIntIntervall(TooManyPiecesText());
        const auto count = static_cast<std::int32_t>(cut.Count);
        if (count <= 0)
            throw EKvIllegalIntIntervall(
                IllegalIntervalText(LowerBound, UpperBound, IntervalWidth));
        TProgressTicker ticker;
        long double lower = LowerBound, upper = UpperBound, width = IntervalWidth;
        // Both ends come from i, so no rounding accumulates along the interval; the last piece
        // may end at the upper bound itself.
        const auto pieceEnd = [&](std::int32_t i) {
            if (i == count && cut.LastEndsAtUpper) return upper;
            return lower + static_cast<long double>(i) * width;
        };
        // The pieces from first to last, summed with one fault test for all: the test waits for
        // every operation before it, so a test per piece would keep the pieces from overlapping.
        // After a flag the sum is left as it was, with the seed, for the pieces one at a time.
        const auto uncheckedPieces = [&](std::int32_t first, std::int32_t last) {
            const TFaultReplay replay;
            long double sum = Result;
            for (std::int32_t i = first; i <= last; ++i) {
                // Within the ticker's quiet ticks: the hook is not asked here.
                if (i > first) ticker.Tick(i, count);
                long double piece;
                if (!UncheckedPieceValue(lower + static_cast<long double>(i - 1) * width,
                                         pieceEnd(i), piece)) [[unlikely]]
                    break;
                sum = sum + piece;
                if (i == last && replay.Clean(sum)) [[likely]] {
                    Result = sum;
                    return true;
                }
            }
            replay.Rewind(lower, upper, width);
            return false;
        };
        // Pieces still to take one at a time, after their group found a flag. Where groups keep
        // failing (an expression without a value over a stretch), more pieces go one at a time
        // before the next group, so that the wasted groups stay few.
        std::int32_t singles = 0;
        std::int32_t backoff = 0;
        for (std::int32_t i = 1; i <= count; ++i) {
            if (ticker.Tick(i, count)) ForgetCompiled();
            if (singles > 0) {
                --singles;
            } else {
                const std::int32_t last =
                    std::min({count, i + GroupPieces - 1, i + ticker.Quiet()});
                if (last > i) {
                    if (uncheckedPieces(i, last)) [[likely]] {
                        backoff = 0;
                        i = last;
                        continue;
                    }
                    singles = last - i + backoff;
                    backoff = std::min(2 * backoff + GroupPieces, MaxBackoff);
                }
            }
            const TFaultReplay replay;
            long double a = lower + static_cast<long double>(i - 1) * width;
            long double b = pieceEnd(i);
            // The ends, the piece and the sum with one fault test.
            long double piece;
            if (UncheckedPieceValue(a, b, piece)) [[likely]] {
                const long double sum = Result + piece;
                if (replay.Clean(sum)) [[likely]] {
                    Result = sum;
                    continue;
                }
            }
            // Once more with a test after each operation, the ends computed again so that a
            // fault of theirs is raised again, and from the same seed.
            replay.Rewind(lower, upper, width);
            a = lower + static_cast<long double>(i - 1) * width;
            b = pieceEnd(i);
            Result = Checked(Result + PieceValue(a, b));
        }
        const long double end = LowerBound + static_cast<long double>(count) * IntervalWidth;
        if (!cut.LastEndsAtUpper && UpperBound > end)
            Result = Checked(Result + PieceValue(end, UpperBound));
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
    const TFaultReplay evaluations;
    long double area;
    if (UncheckedArea(a, b, area) && evaluations.Clean(area)) [[likely]]
        return area;
    // One evaluation at a time, each tested, when the group raised a flag or cannot run.
    evaluations.Rewind();
    long double fa = ValueAt(a);
    long double fm = NextValueAt(m);
    long double fb = NextValueAt(b);
    // The flags are clear after an evaluation. The arithmetic runs once without a test after
    // each operation; only when it raised a flag does it run again with them, so that the
    // first faulting operation is the one reported.
    const TFaultReplay arithmetic;
    area = SimpsonArea<false>(a, b, fa, fm, fb);
    if (arithmetic.Clean(area)) [[likely]]
        return area;
    arithmetic.Rewind(a, b, fa, fm, fb);
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

// The circular arc through the ends and the midpoint.
long double TKvMathLenNumFunction::PieceValue(long double a, long double b) {
    long double m = (a + b) * 0.5L;
    // Grouped as for the Simpson piece.
    Checked(a);
    const TFaultReplay evaluations;
    long double length;
    if (UncheckedLength(a, b, length) && evaluations.Clean(length)) [[likely]]
        return length;
    evaluations.Rewind();
    long double fa = ValueAt(a);
    long double fb = NextValueAt(b);
    long double fm = NextValueAt(m);
    // Unchecked first, as for the Simpson piece.
    const TFaultReplay arithmetic;
    length = ArcLength<false>(a, m, b, fa, fm, fb);
    if (arithmetic.Clean(length)) [[likely]]
        return length;
    arithmetic.Rewind(a, m, b, fa, fm, fb);
    return ArcLength<true>(a, m, b, fa, fm, fb);
}
