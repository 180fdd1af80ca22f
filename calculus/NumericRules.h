// The arithmetic that the numeric methods share with anything that must reproduce their results:
// the steps of the difference quotients, when Newton's iteration has settled, how an interval is
// cut into pieces, the arc over one piece, and the central difference stencils.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>

#include "platform/FpuFaults.h"

namespace NumericRules {

// With Checked, a fault of the operation that produced value raises at once, as the evaluation
// kernels would; without, it stays in the flags for one test at the end.
template <bool Checked> long double Step(long double value) {
    if constexpr (Checked) {
        FpuBarrier(value);
        FpuCheckFaults();
    }
    return value;
}

// A difference quotient's step at x: relative to x away from 0, since beyond 1 a fixed step
// falls below the spacing of extended numbers and x + step would round back to x.
inline long double ScaledStep(long double step, long double x) {
    // A comparison rather than fmax, which is a library call for long double; NaN gives 1 too.
    const long double size = std::fabs(x);
    return step * (size > 1 ? size : 1.0L);
}

// A step over which a function with values near y changes by more than its rounding, for a
// difference quotient that came out 0 although the function may not be flat.
inline long double RoundingStep(long double y) {
    return std::fabs(y) * 0x1p-58L;
}

// Newton's iteration has settled when its last step moved x by no more than a few units in x's
// last place: a Delta below the spacing of extended numbers near x could never be met.
inline bool Settled(long double change, long double x) {
    return change <= std::fabs(x) * 0x1p-60L;
}

// How an interval is cut: Count pieces of the width, and then either a shorter remaining piece
// up to the upper bound, or (LastEndsAtUpper) the last piece ends at the upper bound itself.
struct TPieceCut {
    std::int64_t Count;
    bool LastEndsAtUpper;
};

// quotient is (upper - lower) / width, finite and not negative. Bounds and width come from
// decimal text and are rounded, so a quotient that should be whole may lie a little off it, or
// leave a remainder made of rounding alone. Within 2^-40 of a whole number, plus what the
// bounds' rounding can explain, the quotient counts as whole: a remainder that short would change
// the sum by less than a part in 10^12 of one piece, far below anything a user means, while
// decimal input rounded to 64 bits stays well inside it.
inline TPieceCut CutInterval(long double lower, long double upper, long double width,
                             long double quotient) {
    const long double whole = std::nearbyint(quotient);
    const long double slack =
        0x1p-40L + std::fmax(std::fabs(lower), std::fabs(upper)) / width * 0x1p-56L;
    if (whole >= 1 && std::fabs(quotient - whole) <= slack)
        return {static_cast<std::int64_t>(whole), true};
    return {static_cast<std::int64_t>(std::trunc(quotient)), false};
}

// Simpson's rule over the piece from a to b with midpoint value fm.
template <bool Checked>
long double SimpsonArea(long double a, long double b, long double fa, long double fm,
                        long double fb) {
    return Step<Checked>((b - a) / 6 * Step<Checked>(fa + 4 * fm + fb));
}

// asin(s) / s for 0 < s <= 1. Fine pieces of a smooth curve turn by small angles, where the
// series up to s^6 is exact to 2^-69, with no library arcsine and no division.
template <bool Checked> long double ArcFactor(long double sine) {
    if (sine >= 0x1p-8L) return Step<Checked>(std::asin(sine) / sine);
    const long double z = sine * sine;
    return 1 + z * (1.0L / 6 + z * (3.0L / 40 + z * (5.0L / 112)));
}

// The length of the circular arc from (a, fa) through (m, fm) to (b, fb): the chord times
// phi / sin(phi), where phi is the turning angle between the half chords u = M - A and v = B - M.
// This is the shorter arc of the circle through the three points; unlike the circle's centre it
// cannot cancel away for nearly straight pieces, and it never fails for three points on a curve.
// Inlined: its six arguments would otherwise each be stored and loaded as 80 bits.
template <bool Checked>
[[gnu::always_inline]] inline long double ArcLength(long double a, long double m, long double b,
                                                    long double fa, long double fm,
                                                    long double fb) {
    const long double dy = Step<Checked>(fb - fa);
    const long double chord =
        Step<Checked>(std::sqrt(Step<Checked>(dy * dy + Step<Checked>((b - a) * (b - a)))));
    const long double ux = m - a, vx = b - m;
    const long double uy = Step<Checked>(fm - fa), vy = Step<Checked>(fb - fm);
    const long double cross = Step<Checked>(ux * vy - uy * vx);
    const long double lengths = Step<Checked>(std::sqrt(
        Step<Checked>(Step<Checked>(ux * ux + uy * uy) * Step<Checked>(vx * vx + vy * vy))));
    // A straight piece, or a midpoint that rounded onto an end.
    if (cross == 0 || lengths == 0) return chord;
    const long double ratio = Step<Checked>(std::fabs(cross) / lengths);
    // A quiet comparison rather than fmin, a library call for long double; NaN gives 1 as there.
    const long double sine = std::isless(ratio, 1) ? ratio : 1.0L;
    if (sine == 0) return chord;
    return Step<Checked>(chord * ArcFactor<Checked>(sine));
}

// A central difference quotient of order 2 to MaxOrder for unit step: the value is the sum of
// Weights[k] * f(x + Offsets[k] * h), divided by h^order. The point x itself comes last, with
// the weight 0 where the stencil does not use it.
struct TDiffStencil {
    static constexpr int MaxOrder = 7;
    static constexpr int MaxPoints = 15;

    int Order;
    int Count;
    std::array<long double, MaxPoints> Offsets;
    std::array<long double, MaxPoints> Weights;
    // The step at |x| <= 1, a power of two: the best balance of rounding and truncation that
    // measurements over textbook functions found for this order.
    int StepExponent;
    // Far from 0 the step of |x| <= 1 is tried as well, and taken when the rounding it can
    // bring stays below this fraction of its result.
    long double NoiseLimit;
    // Whether the stencil can afford that second try within 2^order evaluations.
    bool TriesFixedStep;
};

// The stencil of order n, 2 <= n <= TDiffStencil::MaxOrder.
const TDiffStencil& DiffStencil(int n);

// The rounding that the stencil's sum can carry: a few units in the last place of each term,
// scaled like the quotient.
template <class Values>
long double StencilNoise(const TDiffStencil& stencil, const Values& values, int exponent) {
    long double magnitude = 0;
    for (int k = 0; k < stencil.Count; ++k)
        magnitude += std::fabs(stencil.Weights[k] * values[k]);
    return std::ldexp(magnitude * 0x1p-62L, -stencil.Order * exponent);
}

template <class Values>
long double StencilValue(const TDiffStencil& stencil, const Values& values, int exponent) {
    long double sum = 0;
    for (int k = 0; k < stencil.Count; ++k)
        sum += stencil.Weights[k] * values[k];
    // The step is a power of two: its power divides exactly and cannot overflow on its own.
    return std::ldexp(sum, -stencil.Order * exponent);
}

// The exponent e of the step 2^e of the stencil at x: the power of two nearest to
// 2^StepExponent * max(1, |x|).
inline int StencilExponent(const TDiffStencil& stencil, long double x) {
    const long double scale = std::fmax(1.0L, std::fabs(x));
    if (!std::isfinite(scale)) return stencil.StepExponent;
    const int binade = std::ilogb(scale);
    const bool upper = std::ldexp(scale, -binade) > 1.41421356237309504880L;
    return stencil.StepExponent + binade + (upper ? 1 : 0);
}

// The stencil's points about x with the step 2^exponent, the point x itself last.
inline void StencilPoints(const TDiffStencil& stencil, long double x, int exponent,
                          long double* points) {
    for (int k = 0; k < stencil.Count; ++k)
        points[k] = x + std::ldexp(stencil.Offsets[k], exponent);
}

// The derivative of order n (2 <= n <= MaxOrder) at x by a central difference stencil, with
// sample(points, count, values) evaluating the function at the points in their order; the last
// evaluation is at x. Far from 0 the step grows with |x|, which suits functions whose features
// grow with x, such as powers; where the order can afford it, the step of |x| <= 1 is tried
// first and kept when its rounding stays small, which suits those that do not, such as sin(x).
// Faults of the final quotient are left in the flags.
template <class Sampler> long double CentralDerivative(int n, long double x, Sampler&& sample) {
    const TDiffStencil& stencil = DiffStencil(n);
    const int exponent = StencilExponent(stencil, x);
    const bool tryFixed = stencil.TriesFixedStep && exponent != stencil.StepExponent;
    std::array<long double, TDiffStencil::MaxPoints> points, values, fixedValues;
    if (tryFixed) {
        // All but the point itself, which the other stencil evaluates last.
        StencilPoints(stencil, x, stencil.StepExponent, points.data());
        sample(points.data(), stencil.Count - 1, fixedValues.data());
    }
    StencilPoints(stencil, x, exponent, points.data());
    sample(points.data(), stencil.Count, values.data());
    if (tryFixed) {
        fixedValues[stencil.Count - 1] = values[stencil.Count - 1];
        long double fixed = StencilValue(stencil, fixedValues, stencil.StepExponent);
        long double noise = StencilNoise(stencil, fixedValues, stencil.StepExponent);
        FpuBarrier(fixed);
        FpuBarrier(noise);
        const bool clean = FpuRaisedFaults() == 0;
        FpuClearFaults();
        if (clean && noise <= stencil.NoiseLimit * std::fmax(1.0L, std::fabs(fixed))) return fixed;
    }
    return StencilValue(stencil, values, exponent);
}

} // namespace NumericRules
