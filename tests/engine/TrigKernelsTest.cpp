// The sine, cosine and tangent kernels at their edges: exact and special values, the fault
// flags, and arguments next to multiples of pi/2 against values computed at 400 bits.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <limits>

#include "engine/MathKernelsImpl.h"
#include "engine/TrigKernels.h"

namespace {

constexpr int Faults = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;
constexpr long double Inf = std::numeric_limits<long double>::infinity();
constexpr long double Denormal = std::numeric_limits<long double>::denorm_min();

bool WithinOneUlp(long double got, long double expected) {
    return got == expected || got == std::nextafter(expected, Inf) ||
           got == std::nextafter(expected, -Inf);
}

struct THardCase {
    long double X;
    long double Sin;
    long double Cos;
    long double Tan;
};

// The extended values nearest to pi/2 and pi, arguments closest to a multiple of pi/2 in each
// reduction range and a few ordinary ones, with sin, cos and tan rounded from 400-bit values.
const THardCase HardCases[] = {
    {0x1.921fb54442d1846ap+0L, 0x1.0000000000000000p+0L, -0x1.d9cceba3f91f1976p-66L,
     -0x1.14a3c09b557b46bep+65L},
    {-0x1.921fb54442d1846ap+0L, -0x1.0000000000000000p+0L, -0x1.d9cceba3f91f1976p-66L,
     0x1.14a3c09b557b46bep+65L},
    {0x1.921fb54442d1846ap+1L, -0x1.d9cceba3f91f1976p-65L, -0x1.0000000000000000p+0L,
     0x1.d9cceba3f91f1976p-65L},
    {0x1.19f53b995cd9e858p+9L, -0x1.0000000000000000p+0L, 0x1.b979cbc96a72d5f0p-68L,
     -0x1.28e526840f7ade40p+67L},
    {-0x1.f67561349743a292p+48L, 0x1.0000000000000000p+0L, -0x1.bbc5278ce0941d84p-69L,
     -0x1.275c30c99b643eecp+68L},
    {0x1.bc16d674ec800000p+59L, -0x1.fc66798d05d2da72p-1L, 0x1.e4da072c0759a718p-4L,
     -0x1.0c6effbd60ad250ap+3L},
    {0x1.3880000000000000p+13L, -0x1.38f2fa75d9288c9ep-2L, -0x1.e780e88ec44095b8p-1L,
     0x1.48aca838ad5c533cp-2L},
    {0x1.6fccb8f64adf9036p+15L, -0x1.ffd886084cd0dc7ap-1L, 0x1.92155f7a3612751ep-6L,
     -0x1.45e2455e4aefb8f4p+5L},
    {-0x1.2d19f2ad85eedffcp+10L, 0x1.d8818efabc95f23ap-1L, -0x1.8a5ed075af6cedeep-2L,
     -0x1.32b8804e6f2093d4p+1L},
    {0x1.0000000000000000p+0L, 0x1.aed548f090cee042p-1L, 0x1.14a280fb5068b924p-1L,
     0x1.8eb245cbee3a5b8ap+0L},
};

TEST(TrigKernels, HardArgumentsWithinOneUlp) {
    for (const THardCase& c : HardCases) {
        EXPECT_TRUE(WithinOneUlp(KvScalar::Sin(c.X), c.Sin)) << static_cast<double>(c.X);
        EXPECT_TRUE(WithinOneUlp(KvScalar::Cos(c.X), c.Cos)) << static_cast<double>(c.X);
        EXPECT_TRUE(WithinOneUlp(KvScalar::Tan(c.X), c.Tan)) << static_cast<double>(c.X);
    }
}

// The reduction keeps the remainder exact even where it cancels to 2^-65 of the argument.
TEST(TrigKernels, ReductionNearPiHalf) {
    const KvTrig::TReduced r = KvTrig::Reduce(0x1.921fb54442d1846ap+0L);
    EXPECT_EQ(r.Index, 32u);
    EXPECT_TRUE(WithinOneUlp(r.R.Hi + r.R.Lo, 0x1.d9cceba3f91f1976p-66L));
    const KvTrig::TReduced large = KvTrig::Reduce(-0x1.f67561349743a292p+48L);
    EXPECT_EQ(large.Index % 64, 32u);
}

struct TValueCase {
    const char* Name;
    long double (*Function)(long double);
    long double X;
    long double Expected;
};

// Exact results, signed zeros and the rule beyond 2^63; none raises a fault.
const TValueCase ValueCases[] = {
    {"sin", KvScalar::Sin, 0.0L, 0.0L},
    {"sin", KvScalar::Sin, -0.0L, -0.0L},
    {"sin", KvScalar::Sin, Denormal, Denormal},
    {"sin", KvScalar::Sin, -0x1p-40L, -0x1p-40L},
    {"sin", KvScalar::Sin, 0x1p63L, 0.0L},
    {"sin", KvScalar::Sin, -1e20L, 0.0L},
    {"sin", KvScalar::Sin, Inf, 0.0L},
    {"sin", KvScalar::Sin, 0x1p63L - 1, 0x1.0f881aa0a9a2164cp-1L},
    {"cos", KvScalar::Cos, 0.0L, 1.0L},
    {"cos", KvScalar::Cos, -0.0L, 1.0L},
    {"cos", KvScalar::Cos, 0x1p-33L, 1.0L},
    {"cos", KvScalar::Cos, -Inf, 0.0L},
    {"cos", KvScalar::Cos, 0x1p64L, 0.0L},
    {"tan", KvScalar::Tan, 0.0L, 0.0L},
    {"tan", KvScalar::Tan, -0.0L, -0.0L},
    {"tan", KvScalar::Tan, 0x1p-40L, 0x1p-40L},
    {"tan", KvScalar::Tan, 0x1p70L, std::tan(0x1p70L)},
    {"cot", KvScalar::Cot, 0x1p-20L, 1 / KvScalar::Tan(0x1p-20L)},
};

TEST(TrigKernels, ValuesWithoutFaults) {
    for (const TValueCase& c : ValueCases) {
        std::feclearexcept(FE_ALL_EXCEPT);
        const long double got = c.Function(c.X);
        EXPECT_EQ(std::fetestexcept(Faults), 0) << c.Name << " " << static_cast<double>(c.X);
        EXPECT_TRUE(WithinOneUlp(got, c.Expected)) << c.Name << " " << static_cast<double>(c.X);
        EXPECT_EQ(std::signbit(got), std::signbit(c.Expected))
            << c.Name << " " << static_cast<double>(c.X);
    }
}

TEST(TrigKernels, FaultsOnlyWhereTheyBelong) {
    // No flag for any finite argument, over a sweep through all reduction ranges.
    std::feclearexcept(FE_ALL_EXCEPT);
    for (long double x = 0x1p-70L; x < 0x1p63L; x *= 1.37L) {
        for (const long double y : {x, -x}) {
            KvScalar::Sin(y);
            KvScalar::Cos(y);
            KvScalar::Tan(y);
        }
    }
    EXPECT_EQ(std::fetestexcept(Faults), 0);

    std::feclearexcept(FE_ALL_EXCEPT);
    EXPECT_EQ(KvScalar::Cot(0.0L), Inf);
    EXPECT_TRUE(std::fetestexcept(FE_DIVBYZERO));
    std::feclearexcept(FE_ALL_EXCEPT);
    EXPECT_EQ(KvScalar::Cot(-0.0L), -Inf);
    EXPECT_TRUE(std::fetestexcept(FE_DIVBYZERO));

    std::feclearexcept(FE_ALL_EXCEPT);
    EXPECT_TRUE(std::isnan(KvScalar::Tan(Inf)));
    EXPECT_TRUE(std::fetestexcept(FE_INVALID));

    const long double nan = std::numeric_limits<long double>::quiet_NaN();
    EXPECT_TRUE(std::isnan(KvScalar::Sin(nan)));
    EXPECT_TRUE(std::isnan(KvScalar::Cos(nan)));
    EXPECT_TRUE(std::isnan(KvScalar::Tan(nan)));
    std::feclearexcept(FE_ALL_EXCEPT);
}

} // namespace
