// The functions of the function table in extended precision. Faults are raised as status
// flags; see MathKernelsImpl.h.
#include <cmath>

#include "engine/MathKernelsImpl.h"

namespace KvScalar {

namespace {

using KvKernels::RaiseInvalid;
using KvKernels::RaiseOverflow;
using KvKernels::RaiseZeroDivide;

constexpr long double Ln2 = 0.693147180559945309417L;
constexpr long double Pi = 3.141592653589793238L;
constexpr long double PiHalf = 1.5707963267948966193L;
constexpr long double TwoPi = 6.283185307179586477L;
constexpr long double Two63 = 0x1p63L;
// Beyond this e^(2x) overflows; tanh and coth are +-1 to the last bit long before.
constexpr long double HyperbolicLimit = 5678.22249441322L;
// Below this the forms e^x/2 -+ e^-x/2 lose digits; expm1 keeps them.
constexpr long double SmallHyperbolic = 1.0L;
// Above this x^2 + 1 is x^2, and the area functions use ln 2x.
constexpr long double LargeArea = 1e10L;
// 1755! exceeds the extended range.
constexpr long double LargestFactorial = 1754.0L;

long double WithSignOf(long double x, long double magnitude) {
    return x < 0 ? -magnitude : magnitude;
}

} // namespace

// log2 x * log10 2 with a single rounding.
long double Log(long double x) {
    return std::log10(x);
}
long double Ld(long double x) {
    return std::log2(x);
}

long double Sinh(long double x) {
    const long double ax = std::fabs(x);
    long double magnitude;
    if (ax < SmallHyperbolic) {
        const long double m = std::expm1(ax);
        magnitude = 0.5L * (m + m / (m + 1));
    } else {
        // From |x|, so that a very negative x overflows as a large positive one does.
        const long double h = HalfExp(ax);
        magnitude = h - 0.25L / h;
    }
    return WithSignOf(x, magnitude);
}

long double Cosh(long double x) {
    const long double ax = std::fabs(x);
    if (ax < SmallHyperbolic) {
        const long double m = std::expm1(ax);
        return 1 + m * m / (2 * (m + 1));
    }
    const long double h = HalfExp(ax);
    return h + 0.25L / h;
}

long double Tanh(long double x) {
    const long double ax = std::fabs(x);
    if (ax > HyperbolicLimit) return WithSignOf(x, 1.0L);
    const long double m = std::expm1(2 * ax);
    return WithSignOf(x, m / (m + 2));
}

long double Coth(long double x) {
    // cosh and sinh would overflow although their quotient is +-1.
    if (std::fabs(x) > HyperbolicLimit) return WithSignOf(x, 1.0L);
    return Cosh(x) / Sinh(x);
}

long double ArcSinh(long double x) {
    if (x == 0) return x;
    const long double ax = std::fabs(x);
    if (ax > LargeArea) return WithSignOf(x, Ln2 + std::log(ax));
    const long double y = ax + x * x / (std::sqrt(x * x + 1) + 1);
    return WithSignOf(x, std::log1p(y));
}

long double ArcCosh(long double x) {
    if (x < 1) return RaiseInvalid();
    if (x > LargeArea) return Ln2 + std::log(x);
    const long double d = x - 1;
    return std::log1p(d + std::sqrt(d * (x + 1)));
}

long double ArcTanh(long double x) {
    if (x == 0) return x;
    const long double ax = std::fabs(x);
    if (ax > 1) return RaiseInvalid();
    if (ax == 1) return RaiseZeroDivide(x < 0);
    return WithSignOf(x, 0.5L * std::log1p(2 * ax / (1 - ax)));
}

// The inverse hyperbolic cotangent, 1/2 ln((x + 1) / (x - 1)), defined for |x| > 1.
long double ArcCoth(long double x) {
    const long double ax = std::fabs(x);
    if (ax < 1) return RaiseInvalid();
    if (ax == 1) return RaiseZeroDivide(x < 0);
    return WithSignOf(x, 0.5L * std::log1p(2 / (ax - 1)));
}

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
