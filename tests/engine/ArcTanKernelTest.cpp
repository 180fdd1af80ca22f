// The inverse tangent kernels at their edges: special values, signs, flags, and the boundaries
// between the kernel's paths against correctly rounded values.
#include <gtest/gtest.h>

#include <cfenv>
#include <cfloat>
#include <cmath>
#include <limits>

#include "engine/MathKernelsImpl.h"

namespace {

using KvScalar::ArcCos;
using KvScalar::ArcCot;
using KvScalar::ArcSin;
using KvScalar::ArcTan;

constexpr long double Inf = std::numeric_limits<long double>::infinity();
// pi/4, pi/2, 3pi/4 and pi rounded to the extended format.
constexpr long double QuarterPi = 0x1.921fb54442d1846ap-1L;
constexpr long double HalfPi = 0x1.921fb54442d1846ap+0L;
constexpr long double ThreeQuarterPi = 0x1.2d97c7f3321d2350p+1L;
constexpr long double Pi = 0x1.921fb54442d1846ap+1L;

// Within one unit of the correctly rounded value.
bool WithinUlp(long double value, long double rounded) {
    return value == rounded || value == std::nextafter(rounded, 0.0L) ||
           value == std::nextafter(rounded, 2 * rounded);
}

int FaultFlags() {
    return std::fetestexcept(FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW);
}

TEST(ArcTanKernelTest, SpecialValues) {
    struct TCase {
        long double X, Tan, Cot;
    };
    const TCase cases[] = {
        {0.0L, 0.0L, HalfPi},
        {1, QuarterPi, QuarterPi},
        {-1, -QuarterPi, ThreeQuarterPi},
        {Inf, HalfPi, 0.0L},
        {-Inf, -HalfPi, Pi},
        {0x1p64L, 0x1.921fb54442d18468p+0L, 0x1p-64L},
        {-0x1p-40L, -0x1p-40L, 0x1.921fb54443d1846ap+0L},
    };
    for (const TCase& c : cases) {
        EXPECT_EQ(ArcTan(c.X), c.Tan) << c.X;
        EXPECT_EQ(ArcCot(c.X), c.Cot) << c.X;
    }
    EXPECT_TRUE(std::signbit(ArcTan(-0.0L)));
    EXPECT_FALSE(std::signbit(ArcTan(0.0L)));
    EXPECT_EQ(ArcCot(-0.0L), HalfPi);
    EXPECT_TRUE(std::isnan(ArcTan(NAN)));
    EXPECT_TRUE(std::isnan(ArcCot(NAN)));
}

TEST(ArcTanKernelTest, NoFaultFlagsAnywhere) {
    const long double args[] = {0.0L, -0.0L, 0x1p-16445L, 1e-4000L, 0x1p-32L, 0.0625L, 0.5L, 1,
                                16,   1e10L, 0x1p64L,     1e4000L,  LDBL_MAX, Inf,     NAN};
    for (const long double x : args)
        for (const long double sign : {1.0L, -1.0L}) {
            std::feclearexcept(FE_ALL_EXCEPT);
            volatile long double sink = ArcTan(sign * x) + ArcCot(sign * x);
            (void)sink;
            EXPECT_EQ(FaultFlags(), 0) << sign * x;
        }
}

TEST(ArcTanKernelTest, OddAndWithinRange) {
    for (long double x = 1e-6L; x < 1e7L; x *= 1.37L) {
        EXPECT_EQ(ArcTan(-x), -ArcTan(x)) << x;
        for (const long double y : {x, -x}) {
            const long double cot = ArcCot(y);
            EXPECT_GT(cot, 0) << y;
            EXPECT_LT(cot, Pi) << y;
        }
    }
}

// Correctly rounded values from mpmath at 300 bits, at the borders of the kernel's paths (1/16,
// 1, 16, 2^64) and elsewhere; the kernel may be one unit off where the value is nearly halfway.
TEST(ArcTanKernelTest, HardValues) {
    struct TCase {
        long double X, Tan, Cot;
    };
    const TCase cases[] = {
        {0x1p-4L, 0x1.ff55bb72cfde9c6ep-5L, 0x1.82250768ac528f86p+0L},
        {0x1.fffffffffffffffep-5L, 0x1.ff55bb72cfde9c6cp-5L, 0x1.82250768ac528f86p+0L},
        {0x1.0000000000000002p-4L, 0x1.ff55bb72cfde9c72p-5L, 0x1.82250768ac528f86p+0L},
        {0x1.8p-1L, 0x1.4978fa3269ee1248p-1L, 0x1.dac670561bb4f68ap-1L},
        {-0x1.8p+0L, -0x1.f730bd281f69b200p-1L, 0x1.46dc09ec29432eb6p+1L},
        {0x1p+4L, 0x1.82250768ac528f86p+0L, 0x1.ff55bb72cfde9c6ep-5L},
        {0x1.0000000000000002p+4L, 0x1.82250768ac528f86p+0L, 0x1.ff55bb72cfde9c6ap-5L},
        {0x1.2a05f2p+33L, 0x1.921fb543d4de0502p+0L, 0x1.b7cdfd9d7bdbab7ep-34L},
        {-0x1.7p+1L, -0x1.3c6e650b380475aep+0L, 0x1.67470d27bd6afd0cp+1L},
        {0x1.fffffffffffffffep+63L, 0x1.921fb54442d18468p+0L, 0x1.0000000000000002p-64L},
        {0x1.4p-33L, 0x1.4000000000000000p-33L, 0x1.921fb543a2d1846ap+0L},
    };
    for (const TCase& c : cases) {
        EXPECT_TRUE(WithinUlp(ArcTan(c.X), c.Tan)) << c.X;
        EXPECT_TRUE(WithinUlp(ArcCot(c.X), c.Cot)) << c.X;
    }
}

TEST(ArcTanKernelTest, ArcSinAndArcCos) {
    struct TCase {
        long double X, Sin, Cos;
    };
    const TCase exact[] = {
        {0.0L, 0.0L, HalfPi},
        {1, HalfPi, 0.0L},
        {-1, -HalfPi, Pi},
        {-0x1p-40L, -0x1p-40L, 0x1.921fb54443d1846ap+0L},
    };
    for (const TCase& c : exact) {
        std::feclearexcept(FE_ALL_EXCEPT);
        EXPECT_EQ(ArcSin(c.X), c.Sin) << c.X;
        EXPECT_EQ(ArcCos(c.X), c.Cos) << c.X;
        EXPECT_EQ(FaultFlags(), 0) << c.X;
    }
    EXPECT_TRUE(std::signbit(ArcSin(-0.0L)));
    EXPECT_EQ(ArcCos(-0.0L), HalfPi);
    for (const long double x : {0x1.0000000000000002p0L, 2.0L, 1e4000L, Inf})
        for (const long double y : {x, -x}) {
            std::feclearexcept(FE_ALL_EXCEPT);
            EXPECT_TRUE(std::isnan(ArcSin(y)));
            EXPECT_EQ(FaultFlags(), FE_INVALID) << y;
            std::feclearexcept(FE_ALL_EXCEPT);
            EXPECT_TRUE(std::isnan(ArcCos(y)));
            EXPECT_EQ(FaultFlags(), FE_INVALID) << y;
        }
    std::feclearexcept(FE_ALL_EXCEPT);
    EXPECT_TRUE(std::isnan(ArcSin(NAN)) && std::isnan(ArcCos(NAN)));
    EXPECT_EQ(FaultFlags(), 0);

    // Correctly rounded from mpmath: pi/6 and pi/3, next to +-1, and near 1/sqrt 2 where the
    // quotient x / sqrt(1 - x^2) crosses 1.
    const TCase hard[] = {
        {0x1.0p-1L, 0x1.0c152382d7365846p-1L, 0x1.0c152382d7365846p+0L},
        {0x1.fffffffffffffffep-1L, 0x1.921fb542d8c79e02p+0L, 0x1.6a09e667f3bcc908p-32L},
        {-0x1.fffffffffffffffep-1L, -0x1.921fb542d8c79e02p+0L, 0x1.921fb5438dcc9136p+1L},
        {-0x1.8p-1L, -0x1.b235315c680dc082p-1L, 0x1.359d26f93b6c3256p+1L},
        {0x1.6a09e667f3bcc908p-1L, 0x1.921fb54442d18468p-1L, 0x1.921fb54442d1846ap-1L},
        {0x1.0cb295e9e1b0ap-30L, 0x1.0cb295e9e1b0a004p-30L, 0x1.921fb54010072cc2p+0L},
    };
    for (const TCase& c : hard) {
        EXPECT_TRUE(WithinUlp(ArcSin(c.X), c.Sin)) << c.X;
        EXPECT_TRUE(WithinUlp(ArcCos(c.X), c.Cos)) << c.X;
    }
}

} // namespace
