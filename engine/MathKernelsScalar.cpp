// The functions of the function table in extended precision. Faults are raised as status
// flags; see MathKernelsImpl.h.
#include <cmath>

#include "engine/MathKernelsImpl.h"

namespace KvScalar {

namespace {

using KvKernels::RaiseInvalid;
using KvKernels::RaiseOverflow;

constexpr long double Pi = 3.141592653589793238L;
constexpr long double PiHalf = 1.5707963267948966193L;
constexpr long double TwoPi = 6.283185307179586477L;
constexpr long double Two63 = 0x1p63L;
// 1755! exceeds the extended range.
constexpr long double LargestFactorial = 1754.0L;

} // namespace

long double Trunc(long double x) {
    return std::trunc(x);
}

// floor(x + 0.5) without rounding the sum, so that the largest value below 0.5 gives 0.
long double Round(long double x) {
    if (!(std::fabs(x) < Two63)) return x;
    const long double f = std::floor(x);
    return x - f >= 0.5L ? f + 1 : f;
}

long double Frac(long double x) {
    return x - std::trunc(x);
}
long double Sgn(long double x) {
    return x > 0 ? 1.0L : (x < 0 ? -1.0L : 0.0L);
}
long double Abs(long double x) {
    return std::fabs(x);
}
long double Zero(long double x) {
    return x == 0 ? 0.0L : 1.0L;
}
long double Heav(long double x) {
    return x < 0 ? 0.0L : 1.0L;
}
long double Ceil(long double x) {
    return std::ceil(x);
}
long double Floor(long double x) {
    return std::floor(x);
}

long double Phase(long double x) {
    const long double c = x / PiHalf;
    const std::int32_t r = RoundHalfUp(static_cast<double>(c));
    return RoundHalfUp(static_cast<double>((c - r) * TwoPi));
}

long double Rnd(long double x) {
    return KvKernels::RandomFloat() * x;
}

long double Factorial(long double x) {
    if (std::trunc(x) == x) {
        // The negative integers are poles of Gamma(x + 1).
        if (x < 0) return RaiseInvalid();
        // Also keeps a huge argument from multiplying for a long time.
        if (x > LargestFactorial) return RaiseOverflow();
        long double r = 1;
        const int n = static_cast<int>(x);
        for (int k = 2; k <= n; ++k)
            r *= k;
        return r;
    }
    const long double y = x + 1;
    if (y >= 1) return Exp(LnGamma(y));
    // Reflection formula for negative non-integers.
    const long double z = 1 - y;
    return Pi * z / (Exp(LnGamma(z + 1)) * std::sin(Pi * z));
}

long double LnGamma(long double v) {
    static constexpr long double Coefficients[] = {76.18009173L,  -86.50532033L,   24.01409822L,
                                                   -1.231739516L, 0.120858003e-2L, -0.536382e-5L};
    long double t = v - 1;
    long double s = t + 5.5L;
    s = (t + 0.5L) * std::log(s) - s;
    long double series = 1;
    for (const long double c : Coefficients) {
        t += 1;
        series += c / t;
    }
    return s + std::log(2.50662827465L * series);
}

} // namespace KvScalar
