// The numeric methods' arithmetic for the references, over any f(x). Each mirrors the engine's
// method step for step (same pieces, same order of evaluations, same formulas) but without
// fault checks, so that the engine's whole overhead shows in the ratio.
#pragma once

#include <cmath>
#include <cstdint>

namespace Bench {

template <class F> long double SimpsonPiece(F& f, long double a, long double b) {
    const long double m = (a + b) * 0.5L;
    const long double fa = f(a);
    const long double fm = f(m);
    const long double fb = f(b);
    return (b - a) / 6 * (fa + 4 * fm + fb);
}

template <class F> long double ArcPiece(F& f, long double a, long double b) {
    const long double m = (a + b) * 0.5L;
    const long double fa = f(a);
    const long double fb = f(b);
    const long double fm = f(m);
    const long double s1 = (fm - fa) / (m - a);
    const long double s2 = (fm - fb) / (m - b);
    const long double dy = fb - fa;
    const long double chord = std::sqrt(dy * dy + (b - a) * (b - a));
    if (s1 == s2) return chord;
    long double p1 = 0, k1 = 0, p2 = 0, k2 = 0, cx, cy;
    const auto bisector = [](long double slope, long double x1, long double y1, long double x2,
                             long double y2, long double& p, long double& k) {
        p = -1 / slope;
        k = (y1 + y2) / 2 - p * (x1 + x2) / 2;
    };
    if (s1 == 0) {
        bisector(s2, m, fm, b, fb, p2, k2);
        cx = (a + m) / 2;
        cy = p2 * cx + k2;
    } else if (s2 == 0) {
        bisector(s1, a, fa, m, fm, p1, k1);
        cx = (m + b) / 2;
        cy = p1 * cx + k1;
    } else {
        bisector(s1, a, fa, m, fm, p1, k1);
        bisector(s2, m, fm, b, fb, p2, k2);
        cx = (k2 - k1) / (p1 - p2);
        cy = p1 * cx + k1;
    }
    const long double r = std::sqrt((cy - fa) * (cy - fa) + (cx - a) * (cx - a));
    const long double z = chord / (2 * r);
    return r * 2 * std::atan2(z, std::sqrt(1 - z * z));
}

// The piecewise sum of an interval method.
template <class F, class P>
long double PieceSum(F& f, P piece, long double lower, long double upper, long double width) {
    const auto count = static_cast<std::int32_t>(std::trunc((upper - lower) / width));
    long double result = 0;
    for (std::int32_t i = 1; i <= count; ++i) {
        const long double a = lower + static_cast<long double>(i - 1) * width;
        const long double b = lower + static_cast<long double>(i) * width;
        result += piece(f, a, b);
    }
    const long double end = lower + static_cast<long double>(count) * width;
    if (upper > end) result += piece(f, end, upper);
    return result;
}

template <class F> long double NumDerivative(F& f, std::int32_t n, long double x, long double h) {
    const long double step = n % 2 != 0 ? h : -h;
    const long double beside = x + step;
    const long double fBeside = n == 1 ? f(beside) : NumDerivative(f, n - 1, beside, h);
    const long double fHere = n == 1 ? f(x) : NumDerivative(f, n - 1, x, h);
    return (fBeside - fHere) / step;
}

// Newton's method; false when it does not converge within limit + 1 steps or meets a zero
// difference quotient.
template <class F>
bool Newton(F& f, long double x, std::int32_t limit, long double delta, long double h,
            long double& result) {
    for (std::int64_t step = 0; step <= limit; ++step) {
        const long double y = f(x);
        const long double d = (f(x + h) - y) / h;
        if (d == 0) return false;
        const long double previous = x;
        x = x - y / d;
        if (delta >= std::fabs(previous - x)) {
            result = x;
            return true;
        }
    }
    return false;
}

} // namespace Bench
