// The numeric methods' arithmetic for the references, over any f(x). Each mirrors the engine's
// method step for step (same pieces, same order of evaluations, same formulas) but without
// fault checks, so that the engine's whole overhead shows in the ratio.
#pragma once

#include <cmath>
#include <cstdint>

#include "calculus/NumericRules.h"

namespace Bench {

template <class F> long double SimpsonPiece(F& f, long double a, long double b) {
    const long double m = (a + b) * 0.5L;
    const long double fa = f(a);
    const long double fm = f(m);
    const long double fb = f(b);
    return NumericRules::SimpsonArea<false>(a, b, fa, fm, fb);
}

template <class F> long double ArcPiece(F& f, long double a, long double b) {
    const long double m = (a + b) * 0.5L;
    const long double fa = f(a);
    const long double fb = f(b);
    const long double fm = f(m);
    return NumericRules::ArcLength<false>(a, m, b, fa, fm, fb);
}

// The piecewise sum of an interval method.
template <class F, class P>
long double PieceSum(F& f, P piece, long double lower, long double upper, long double width) {
    const NumericRules::TPieceCut cut =
        NumericRules::CutInterval(lower, upper, width, (upper - lower) / width);
    const auto count = static_cast<std::int32_t>(cut.Count);
    long double result = 0;
    for (std::int32_t i = 1; i <= count; ++i) {
        const long double a = lower + static_cast<long double>(i - 1) * width;
        const long double b =
            i == count && cut.LastEndsAtUpper ? upper : lower + static_cast<long double>(i) * width;
        result += piece(f, a, b);
    }
    const long double end = lower + static_cast<long double>(count) * width;
    if (!cut.LastEndsAtUpper && upper > end) result += piece(f, end, upper);
    return result;
}

template <class F> long double NumDerivative(F& f, std::int32_t n, long double x, long double h) {
    if (n == 1) {
        const long double step = NumericRules::ScaledStep(h, x);
        const long double beside = x + step;
        const long double fBeside = f(beside);
        return (fBeside - f(x)) / (std::fabs(x) > 1 ? beside - x : step);
    }
    return NumericRules::CentralDerivative(
        n, x, [&f](const long double* points, int count, long double* values) {
            for (int k = 0; k < count; ++k)
                values[k] = f(points[k]);
        });
}

// The numeric derivative at the points from, from + step, ... below to, summed.
template <class F>
long double NumDerivatives(F& f, std::int32_t n, long double from, long double to, long double step,
                           long double h) {
    long double sum = 0;
    for (std::int64_t i = 0;; ++i) {
        const long double x = from + static_cast<long double>(i) * step;
        if (!(x < to)) return sum;
        sum += NumDerivative(f, n, x, h);
    }
}

// Newton's method; false when it does not converge within limit + 1 steps or meets a zero
// difference quotient.
template <class F>
bool Newton(F& f, long double x, std::int32_t limit, long double delta, long double h,
            long double& result) {
    for (std::int64_t step = 0; step <= limit; ++step) {
        long double diffStep = NumericRules::ScaledStep(h, x);
        const long double y = f(x);
        long double d = (f(x + diffStep) - y) / diffStep;
        if (d == 0 && NumericRules::RoundingStep(y) > diffStep) {
            diffStep = NumericRules::RoundingStep(y);
            d = (f(x + diffStep) - y) / diffStep;
        }
        if (d == 0) return false;
        const long double previous = x;
        x = x - y / d;
        const long double change = std::fabs(previous - x);
        if (delta >= change || NumericRules::Settled(change, x)) {
            result = x;
            return true;
        }
    }
    return false;
}

} // namespace Bench
