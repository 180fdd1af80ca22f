// The exponential, logarithm, hyperbolic and power kernels at their edges: the fault flags they
// raise (and do not), special values and exact results. Their accuracy over wide ranges is measured
// against high-precision references elsewhere; here a few hard values guard the tables.
#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <limits>
#include <string>

#include "engine/MathKernelsImpl.h"

namespace {

constexpr int Faults = FE_INVALID | FE_DIVBYZERO | FE_OVERFLOW;
constexpr long double Inf = std::numeric_limits<long double>::infinity();
const long double NaN = std::numeric_limits<long double>::quiet_NaN();

// The largest x whose e^x is in range, and the next extended value above it.
constexpr long double LastExp = 0x1.62e42fefa39ef356p+13L;
constexpr long double FirstOverflow = 0x1.62e42fefa39ef358p+13L;

struct TFlagCase {
    const char* Name;
    std::function<long double()> Run;
    long double Expected; // NaN: a NaN is expected
    int Flags;
};

long double Pow(long double a, long double b) {
    long double r = 0;
    EXPECT_TRUE(KvScalar::Power(a, b, r)) << a << "^" << b;
    return r;
}

TEST(ExpLogPowerKernelTest, FaultFlagsAndSpecialValues) {
    const TFlagCase cases[] = {
        {"exp last in range", [] { return KvScalar::Exp(LastExp); }, 0x1.ffffffffffff9b0ep+16383L,
         0},
        {"exp first overflow", [] { return KvScalar::Exp(FirstOverflow); }, Inf, FE_OVERFLOW},
        {"exp 20000", [] { return KvScalar::Exp(20000); }, Inf, FE_OVERFLOW},
        {"exp inf", [] { return KvScalar::Exp(Inf); }, Inf, 0},
        {"exp -inf", [] { return KvScalar::Exp(-Inf); }, 0, 0},
        {"exp denormal", [] { return KvScalar::Exp(-11390); }, 0x1.a0ep-16433L, 0},
        {"exp to zero", [] { return KvScalar::Exp(-11399.9L); }, 0, 0},
        {"exp -20000", [] { return KvScalar::Exp(-20000); }, 0, 0},
        {"exp NaN", [] { return KvScalar::Exp(NaN); }, NaN, 0},
        // Past exp's edge, the hyperbolic functions are still finite for another ln 2.
        {"sinh past exp's overflow", [] { return KvScalar::Sinh(FirstOverflow); },
         0x1.0000000000000d88p+16383L, 0},
        {"cosh past exp's overflow", [] { return KvScalar::Cosh(-FirstOverflow); },
         0x1.0000000000000d88p+16383L, 0},
        {"sinh overflow", [] { return KvScalar::Sinh(11357.3L); }, Inf, FE_OVERFLOW},
        {"cosh overflow", [] { return KvScalar::Cosh(-11357.3L); }, Inf, FE_OVERFLOW},
        {"sinh last in range", [] { return KvScalar::Sinh(-LastExp); },
         -0x1.ffffffffffff9b0ep+16382L, 0},
        {"tanh 25", [] { return KvScalar::Tanh(25); }, 1, 0},
        {"tanh -6000", [] { return KvScalar::Tanh(-6000); }, -1, 0},
        {"tanh -inf", [] { return KvScalar::Tanh(-Inf); }, -1, 0},
        {"coth 30", [] { return KvScalar::Coth(30); }, 1, 0},
        {"coth -inf", [] { return KvScalar::Coth(-Inf); }, -1, 0},
        {"coth 0", [] { return KvScalar::Coth(0.0L); }, Inf, FE_DIVBYZERO},
        {"coth smallest denormal", [] { return KvScalar::Coth(-0x1p-16445L); }, -Inf, FE_OVERFLOW},
        {"arctanh 1", [] { return KvScalar::ArcTanh(1); }, Inf, FE_DIVBYZERO},
        {"arctanh -2", [] { return KvScalar::ArcTanh(-2); }, NaN, FE_INVALID},
        {"arccoth -1", [] { return KvScalar::ArcCoth(-1); }, -Inf, FE_DIVBYZERO},
        {"arccoth 0.5", [] { return KvScalar::ArcCoth(0.5L); }, NaN, FE_INVALID},
        {"arccoth -inf", [] { return KvScalar::ArcCoth(-Inf); }, 0, 0},
        {"arccosh 0.5", [] { return KvScalar::ArcCosh(0.5L); }, NaN, FE_INVALID},
        {"arccosh 1", [] { return KvScalar::ArcCosh(1); }, 0, 0},
        {"arccosh inf", [] { return KvScalar::ArcCosh(Inf); }, Inf, 0},
        {"arcsinh -inf", [] { return KvScalar::ArcSinh(-Inf); }, -Inf, 0},
        {"ln 0", [] { return KvScalar::Ln(0.0L); }, -Inf, FE_DIVBYZERO},
        {"ln -0", [] { return KvScalar::Ln(-0.0L); }, -Inf, FE_DIVBYZERO},
        {"ln -1", [] { return KvScalar::Ln(-1); }, NaN, FE_INVALID},
        {"ln -inf", [] { return KvScalar::Ln(-Inf); }, NaN, FE_INVALID},
        {"ln inf", [] { return KvScalar::Ln(Inf); }, Inf, 0},
        {"ln NaN", [] { return KvScalar::Ln(NaN); }, NaN, 0},
        {"ln 2^16000", [] { return KvScalar::Ln(0x1p16000L); }, 0x1.5a92d6d005c939a4p+13L, 0},
        {"ln 2^-16000", [] { return KvScalar::Ln(0x1p-16000L); }, -0x1.5a92d6d005c939a4p+13L, 0},
        {"ln smallest denormal", [] { return KvScalar::Ln(0x1p-16445L); },
         -0x1.6436716d5406e6d8p+13L, 0},
        {"log 0", [] { return KvScalar::Log(0.0L); }, -Inf, FE_DIVBYZERO},
        {"ld -0", [] { return KvScalar::Ld(-0.0L); }, -Inf, FE_DIVBYZERO},
        {"log -2", [] { return KvScalar::Log(-2); }, NaN, FE_INVALID},
        {"ld -inf", [] { return KvScalar::Ld(-Inf); }, NaN, FE_INVALID},
        {"log inf", [] { return KvScalar::Log(Inf); }, Inf, 0},
        {"ld NaN", [] { return KvScalar::Ld(NaN); }, NaN, 0},
        {"ld smallest denormal", [] { return KvScalar::Ld(0x1p-16445L); }, -16445, 0},
        {"(-2)^3", [] { return Pow(-2, 3); }, -8, 0},
        {"(-2)^-2", [] { return Pow(-2, -2); }, 0.25L, 0},
        {"10^2", [] { return Pow(10, 2); }, 100, 0},
        {"3^40", [] { return Pow(3, 40); }, 12157665459056928801.0L, 0},
        {"2^-64", [] { return Pow(2, -64); }, 0x1p-64L, 0},
        {"2^0.5", [] { return Pow(2, 0.5L); }, std::sqrt(2.0L), 0},
        {"2^20000", [] { return Pow(2, 20000); }, Inf, FE_OVERFLOW},
        {"1e300^60", [] { return Pow(1e300L, 60); }, Inf, FE_OVERFLOW},
        {"(-1e300)^61", [] { return Pow(-1e300L, 61); }, -Inf, FE_OVERFLOW},
        {"1e-300^60", [] { return Pow(1e-300L, 60); }, 0, 0},
        {"1e-300^-60", [] { return Pow(1e-300L, -60); }, Inf, FE_OVERFLOW},
        {"inf^3", [] { return Pow(Inf, 3); }, Inf, 0},
    };
    for (const TFlagCase& c : cases) {
        std::feclearexcept(FE_ALL_EXCEPT);
        const long double value = c.Run();
        EXPECT_EQ(std::fetestexcept(Faults), c.Flags) << c.Name;
        if (std::isnan(c.Expected))
            EXPECT_TRUE(std::isnan(value)) << c.Name;
        else
            EXPECT_EQ(value, c.Expected) << c.Name;
    }
}

TEST(ExpLogPowerKernelTest, PowerFailures) {
    long double r = 7;
    EXPECT_FALSE(KvScalar::Power(0, -1, r));
    EXPECT_FALSE(KvScalar::Power(-8, 1.0L / 3, r));
    EXPECT_FALSE(KvScalar::Power(-2, 0.5L, r));
    EXPECT_EQ(r, 7);
    EXPECT_TRUE(KvScalar::Power(0, 0, r));
    EXPECT_EQ(r, 1);
}

TEST(ExpLogPowerKernelTest, ExactResults) {
    EXPECT_EQ(KvScalar::Exp(0), 1);
    EXPECT_EQ(KvScalar::Exp(-0.0L), 1);
    const long double lnOne = KvScalar::Ln(1);
    EXPECT_EQ(lnOne, 0);
    EXPECT_FALSE(std::signbit(lnOne));
    for (const long double x : {1.1L, -3.7L, 0x1.fffffffffffffffep+8000L, 1e-2000L, 0.3L}) {
        EXPECT_EQ(Pow(x, 2), x * x) << x;
        EXPECT_EQ(Pow(x, 1), x) << x;
    }
    // Typed powers of ten, exact or not, and every power of two give their exponent.
    for (int k = -40; k <= 40; ++k) {
        const long double x = std::strtold(("1e" + std::to_string(k)).c_str(), nullptr);
        EXPECT_EQ(KvScalar::Log(x), k) << "log 1e" << k;
    }
    EXPECT_EQ(KvScalar::Log(1e4000L), 4000);
    EXPECT_EQ(KvScalar::Log(1e-4000L), -4000);
    for (int k = -16445; k <= 16383; ++k)
        ASSERT_EQ(KvScalar::Ld(std::ldexp(1.0L, k)), k) << "ld 2^" << k;
    EXPECT_FALSE(std::signbit(KvScalar::Log(1)));
    EXPECT_EQ(Pow(1.5L, 7), 17.0859375L);
    EXPECT_EQ(Pow(-0.5L, -3), -8);
    // Fractional exponents through the logarithm: exact results come out exact.
    for (int c = 2; c <= 60; ++c)
        for (const int q : {2, 4, 8})
            for (int p = 1; p <= 4 * q; ++p) {
                const long double whole = std::pow(static_cast<long double>(c), p);
                if (p % q == 0 || std::pow(static_cast<long double>(c), q) > 0x1p64L ||
                    whole > 0x1p64L)
                    continue;
                EXPECT_EQ(
                    Pow(std::pow(static_cast<long double>(c), q), static_cast<long double>(p) / q),
                    whole)
                    << c << "^" << q << "^(" << p << "/" << q << ")";
            }
}

// Below 2^-32 sinh x, tanh x and their inverses round to x, keeping the sign of zero, and
// cosh x to 1.
TEST(ExpLogPowerKernelTest, TinyHyperbolicArguments) {
    for (const long double x : {0.0L, 0x1p-16445L, 1e-4000L, 1e-12L, 0x1.fffffffffffffffep-33L}) {
        for (const long double signedX : {x, -x}) {
            std::feclearexcept(FE_ALL_EXCEPT);
            const long double sinh = KvScalar::Sinh(signedX);
            const long double tanh = KvScalar::Tanh(signedX);
            EXPECT_EQ(std::fetestexcept(Faults), 0) << signedX;
            EXPECT_EQ(sinh, signedX);
            EXPECT_EQ(tanh, signedX);
            EXPECT_EQ(KvScalar::ArcSinh(signedX), signedX);
            EXPECT_EQ(KvScalar::ArcTanh(signedX), signedX);
            EXPECT_EQ(std::signbit(KvScalar::ArcSinh(signedX)), std::signbit(signedX));
            EXPECT_EQ(std::signbit(sinh), std::signbit(signedX)) << signedX;
            EXPECT_EQ(std::signbit(tanh), std::signbit(signedX)) << signedX;
            EXPECT_EQ(KvScalar::Cosh(signedX), 1) << signedX;
        }
    }
    EXPECT_EQ(KvScalar::Coth(-0.0L), -Inf);
    EXPECT_EQ(Pow(3, -1), 1 / 3.0L);
}

// Correctly rounded values (from 300-bit references); the kernels must be within one unit.
TEST(ExpLogPowerKernelTest, HardValues) {
    const struct {
        const char* Name;
        long double Value;
        long double Reference;
    } cases[] = {
        {"exp 1", KvScalar::Exp(1), 0x1.5bf0a8b145769536p+1L},
        {"exp 100.5", KvScalar::Exp(100.5L), 0x1.fcc37a76f9e75e06p+144L},
        {"exp -0.3", KvScalar::Exp(-0x1.3333333333333334p-2L), 0x1.7b4c869c37c04e8ep-1L},
        {"exp 11000", KvScalar::Exp(11000), 0x1.90712c344d655bb4p+15869L},
        {"exp -11000", KvScalar::Exp(-11000), 0x1.475178a6f484f81ep-15870L},
        {"ln 0.75", KvScalar::Ln(0.75L), -0x1.269621134db92784p-2L},
        {"ln 10", KvScalar::Ln(10), 0x1.26bb1bbb5551582ep+1L},
        {"ln 1+2^-40", KvScalar::Ln(1 + 0x1p-40L), 0x1.ffffffffff000000p-41L},
        {"ln 1-2^-50", KvScalar::Ln(1 - 0x1p-50L), -0x1.0000000000002000p-50L},
        {"ln 2^13287", KvScalar::Ln(0x1p13287L), 0x1.1fcec5cffb553ba0p+13L},
        {"log 3", KvScalar::Log(3), 0x1.e8927964fd5fd08cp-2L},
        {"log 0.75", KvScalar::Log(0.75L), -0x1.ffbfc2bbc7803758p-4L},
        {"log 1+2^-40", KvScalar::Log(1 + 0x1p-40L), 0x1.bcb7b1526d728752p-42L},
        {"ld 3", KvScalar::Ld(3), 0x1.95c01a39fbd687a0p+0L},
        {"ld 0.75", KvScalar::Ld(0.75L), -0x1.a8ff971810a5e182p-2L},
        {"ld 1+2^-40", KvScalar::Ld(1 + 0x1p-40L), 0x1.71547652b777373cp-40L},
        {"sinh -1.41", KvScalar::Sinh(-0x1.695f9e945aa0339ep+0L), -0x1.edee10879e5218a2p+0L},
        {"sinh 4.6e-4", KvScalar::Sinh(0x1.e2953b6f54ad7c54p-12L), 0x1.e2953c8d25443548p-12L},
        {"cosh 0.3", KvScalar::Cosh(0x1.3333333333333334p-2L), 0x1.0b9b4e0b6ec4c0c6p+0L},
        {"cosh 14.8", KvScalar::Cosh(0x1.da193765fe57bd8cp+3L), 0x1.4bd80d11be0c25bep+20L},
        {"tanh 6.5e-3", KvScalar::Tanh(0x1.a7279e62599a070ep-8L), 0x1.a7261d010c81ef56p-8L},
        {"tanh 3", KvScalar::Tanh(3), 0x1.fd77d111a0affe20p-1L},
        {"coth 0.7", KvScalar::Coth(0x1.6666666666666666p-1L), 0x1.a795489506bca54ap+0L},
        {"coth -2e-5", KvScalar::Coth(-0x1.4f8b588e368f0846p-16L), -0x1.86a00000dfb23b0ap+15L},
        {"arcsinh 2", KvScalar::ArcSinh(2), 0x1.719218313d0872f8p+0L},
        {"arcsinh -0.38", KvScalar::ArcSinh(-0x1.861bb60844a251dcp-2L), -0x1.7d3d5ccbf9727cacp-2L},
        {"arcsinh 1e20", KvScalar::ArcSinh(1e20L), 0x1.75f57369e9342a06p+5L},
        {"arccosh 1.11", KvScalar::ArcCosh(0x1.1c3ea84a0cef145cp+0L), 0x1.dcb45af4406158e6p-2L},
        {"arccosh 1+2^-60", KvScalar::ArcCosh(1 + 0x1p-60L), 0x1.6a09e667f3bcc906p-30L},
        {"arctanh 0.18", KvScalar::ArcTanh(0x1.741e95005f001d50p-3L), 0x1.784c3345b5d75902p-3L},
        {"arctanh 1-2^-64", KvScalar::ArcTanh(1 - 0x1p-64L), 0x1.686fc0af622d6f24p+4L},
        {"arccoth -7.3", KvScalar::ArcCoth(-0x1.d5f323fa1019347cp+2L), -0x1.18a66b5b394e3c7ap-3L},
        {"arccoth 1+2^-63", KvScalar::ArcCoth(1 + 0x1p-63L), 0x1.62e42fefa39ef358p+4L},
        {"1.1^64", Pow(0x1.199999999999999ap+0L, 64), 0x1.bdcaa43ae86b9fdap+8L},
        {"3^-40", Pow(3, -40), 0x1.846d550e37b5063ep-64L},
    };
    for (const auto& c : cases) {
        EXPECT_GE(c.Value, std::nextafter(c.Reference, -Inf)) << c.Name;
        EXPECT_LE(c.Value, std::nextafter(c.Reference, Inf)) << c.Name;
    }
}

} // namespace
