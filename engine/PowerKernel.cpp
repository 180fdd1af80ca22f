// The extended power a^b: the failures of the case analysis, exact shortcuts for the exponents
// that occur most (squares, small integers, square roots), e^(b ln a) from the logarithm's pair
// for other exponents, and powl near the ends of the range.
#include "engine/PowerKernel.h"

#include <cmath>
#include <cstdint>
#include <cstring>

#include "engine/ExtendedPair.h"
#include "engine/MathKernelsImpl.h"

namespace KvPower {

namespace {

using KvPair::TPair;

// Every intermediate power, its rounding error and the reciprocal then stay normal and below
// the split's limit of 2^16000.
constexpr int ExponentBudget = 16000;

using TWide = unsigned __int128;

TPair Square(TPair p) {
    const TPair s = KvPair::TwoProduct(p.Hi, p.Hi);
    return KvPair::FastTwoSum(s.Hi, s.Lo + 2 * p.Hi * p.Lo);
}

// 1 / (p.Hi + p.Lo): the quotient of the high part corrected by one Newton step, whose
// residual 1 - q p is exact up to the low part's product.
long double Reciprocal(TPair p) {
    const long double q = 1 / p.Hi;
    const TPair qp = KvPair::TwoProduct(q, p.Hi);
    const long double residual = ((1 - qp.Hi) - qp.Lo) - q * p.Lo;
    return q + q * residual;
}

// The value x 2^scale as a 128-bit mantissa x with its top bit set; the low bits below the
// product's 128 are dropped, an error near 2^-126 per step. Branch free: whether a product
// needs the shift is a coin toss, which a predictor would lose half the time.
struct TWidePower {
    TWide X;
    int Scale;

    void Normalize() {
        const int shift = static_cast<int>(~X >> 127);
        X <<= shift;
        Scale -= shift;
    }
    void Square() {
        const std::uint64_t hi = static_cast<std::uint64_t>(X >> 64);
        const std::uint64_t lo = static_cast<std::uint64_t>(X);
        const TWide cross = static_cast<TWide>(hi) * lo;
        X = static_cast<TWide>(hi) * hi + (cross >> 63);
        Scale = 2 * Scale + 128;
        Normalize();
    }
    void Multiply(std::uint64_t m, int mScale) {
        const TWide low = static_cast<TWide>(static_cast<std::uint64_t>(X)) * m;
        X = static_cast<TWide>(static_cast<std::uint64_t>(X >> 64)) * m + (low >> 64);
        Scale += mScale + 64;
        Normalize();
    }
};

// a^n for n >= 1 on the integer mantissa: exact up to the last rounding for n = 3, and
// within 2^-120 of it otherwise, so the result is correctly rounded but in vanishing cases.
// The bits are read and written directly, which spares the slow 80-bit loads and stores.
inline void PositivePower(KvPair::TBits bits, int n, long double& r) {
    const std::uint64_t m = bits.Mantissa;
    const int mScale = (bits.SignExponent & 0x7fff) - KvPair::ExponentBias - 63;
    int bit = 31 - __builtin_clz(static_cast<unsigned>(n));
    TWidePower p{static_cast<TWide>(m) << 64, mScale - 64};
    if (bit > 0) {
        // The first square of the exact mantissa: one product, as the square's cross term is 0.
        p = TWidePower{static_cast<TWide>(m) * m, 2 * mScale};
        p.Normalize();
        if ((n >> --bit) & 1) p.Multiply(m, mScale);
    }
    while (--bit >= 0) {
        p.Square();
        if ((n >> bit) & 1) p.Multiply(m, mScale);
    }
    // Round to nearest, ties to even, on the 64 bits below the mantissa.
    std::uint64_t mantissa = static_cast<std::uint64_t>(p.X >> 64);
    const std::uint64_t rest = static_cast<std::uint64_t>(p.X);
    int exponent = p.Scale + 127 + KvPair::ExponentBias;
    const std::uint64_t half = 1ull << 63;
    mantissa += (rest > half) | ((rest == half) & mantissa);
    if (mantissa == 0) [[unlikely]] {
        mantissa = half;
        ++exponent;
    }
    const bool negative = (bits.SignExponent >> 15) && (n & 1);
    const std::uint16_t signExponent = static_cast<std::uint16_t>(exponent | (negative << 15));
    std::memcpy(&r, &mantissa, sizeof mantissa);
    std::memcpy(reinterpret_cast<unsigned char*>(&r) + 8, &signExponent, sizeof signExponent);
}

// Turns away denormals (exponent -16383), infinities and NaN (16384), and the rare unnormal
// encodings without the integer bit.
inline bool InBudget(KvPair::TBits bits, int magnitude) {
    const int exponent = (bits.SignExponent & 0x7fff) - KvPair::ExponentBias;
    return ((exponent < 0 ? -exponent : exponent) + 1) * magnitude <= ExponentBudget &&
           (bits.Mantissa >> 63);
}

// 1 / a^n as the corrected reciprocal of a^n carried as a pair.
[[gnu::noinline]] long double NegativePower(long double a, int n) {
    // Left to right binary powering: the top bit gives a itself.
    int bit = 31 - __builtin_clz(static_cast<unsigned>(n));
    TPair p{a, 0};
    while (--bit >= 0) {
        p = Square(p);
        if ((n >> bit) & 1) p = KvPair::Multiply(p, a);
    }
    return Reciprocal(p);
}

// Inlined into Power, so that the base and exponent are not stored and reloaded around a
// call: 80-bit loads and stores are slow.
[[gnu::always_inline]] inline bool TryIntegerPower(long double a, int n, long double& r) {
    const KvPair::TBits bits = KvPair::Bits(a);
    if (!InBudget(bits, n < 0 ? -n : n)) return false;
    if (n > 0)
        PositivePower(bits, n, r);
    else if (n == -1)
        r = 1 / a;
    else
        r = NegativePower(a, -n);
    return true;
}

} // namespace

bool WholePower(KvPair::TBits a, int n, long double& r) {
    if (!InBudget(a, n)) return false;
    PositivePower(a, n, r);
    return true;
}

} // namespace KvPower

namespace KvScalar {

bool PowerGeneral(long double a, long double b, long double& r) {
    if (a == 0) {
        if (b > 0)
            r = 0;
        else if (b == 0)
            r = 1;
        else
            return false;
        return true;
    }
    // The range test first, and quiet: converting a large or NaN exponent to int would raise
    // invalid.
    if (std::islessequal(std::fabs(b), KvPower::LargestExponent)) {
        const int n = static_cast<int>(static_cast<double>(b));
        if (n == b && n != 0 && KvPower::TryIntegerPower(a, n, r)) return true;
        // sqrt is correctly rounded and agrees with pow on every positive and infinite base;
        // negative bases fail below as for any fractional exponent, NaN goes to pow.
        if (b == 0.5L && std::isgreaterequal(a, 0)) {
            r = std::sqrt(a);
            return true;
        }
    }
    if (a < 0 && std::trunc(b) != b) return false;
    if (PowerFromLogarithm(a, b, r)) return true;
    // pow for the rest: the ends of the range, huge exponents, negative bases.
    r = std::pow(a, b);
    return true;
}

} // namespace KvScalar
