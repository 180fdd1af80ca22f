// Unevaluated sums hi + lo of two extended values, and the exact operations that make them:
// the kernels carry a result's rounding error this way until the last addition, which is how
// they stay within one unit in the last place.
//
// The exact products split a value into two 32-bit halves; the caller keeps the operands below
// 2^16000 in magnitude, so that the split cannot overflow.
#pragma once

#include <cstdint>
#include <cstring>

namespace KvPair {

struct TPair {
    long double Hi;
    long double Lo;
};

// a + b exactly, for |a| >= |b| or a == 0.
inline TPair FastTwoSum(long double a, long double b) {
    const long double s = a + b;
    return {s, b - (s - a)};
}

// a + b exactly, whatever the magnitudes.
inline TPair TwoSum(long double a, long double b) {
    const long double s = a + b;
    const long double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

// x as hi + lo with at most 32 significant bits in each part.
inline TPair Split(long double x) {
    constexpr long double Factor = 0x1p32L + 1;
    const long double c = Factor * x;
    const long double hi = c - (c - x);
    return {hi, x - hi};
}

// a * b exactly.
inline TPair TwoProduct(long double a, long double b) {
    const long double p = a * b;
    const TPair sa = Split(a);
    const TPair sb = Split(b);
    const long double err = ((sa.Hi * sb.Hi - p) + sa.Hi * sb.Lo + sa.Lo * sb.Hi) + sa.Lo * sb.Lo;
    return {p, err};
}

// (a.Hi + a.Lo) * b with a relative error near 2^-125.
inline TPair Multiply(TPair a, long double b) {
    const TPair p = TwoProduct(a.Hi, b);
    return FastTwoSum(p.Hi, p.Lo + a.Lo * b);
}

// (a.Hi + a.Lo) * (b.Hi + b.Lo) with a relative error near 2^-125.
inline TPair Multiply(TPair a, TPair b) {
    const TPair p = TwoProduct(a.Hi, b.Hi);
    return FastTwoSum(p.Hi, p.Lo + (a.Hi * b.Lo + a.Lo * b.Hi));
}

// The sign, the biased exponent and the 64-bit mantissa of an extended value.
struct TBits {
    std::uint64_t Mantissa;
    std::uint16_t SignExponent;
};

// The bits of the extended value at x, read as integers.
inline TBits BitsAt(const void* x) {
    TBits bits;
    std::memcpy(&bits.Mantissa, x, sizeof bits.Mantissa);
    std::memcpy(&bits.SignExponent, static_cast<const unsigned char*>(x) + 8,
                sizeof bits.SignExponent);
    return bits;
}

inline TBits Bits(long double x) {
    return BitsAt(&x);
}

inline long double FromBits(std::uint64_t mantissa, std::uint16_t signExponent) {
    long double x = 0;
    std::memcpy(&x, &mantissa, sizeof mantissa);
    std::memcpy(reinterpret_cast<unsigned char*>(&x) + 8, &signExponent, sizeof signExponent);
    return x;
}

constexpr int ExponentBias = 16383;

// 2^n for a normal result, -16382 <= n <= 16383; exact and without touching the flags.
inline long double PowerOfTwo(int n) {
    return FromBits(0x8000000000000000ull, static_cast<std::uint16_t>(n + ExponentBias));
}

} // namespace KvPair
