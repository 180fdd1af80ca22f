#include "values/KvTypes.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "platform/Locale.h"

namespace {

using Limits = std::numeric_limits<long double>;

std::string ExtendedText(long double x) {
    return ValueToText(&x, dtExtended);
}

TEST(KvTypesTest, TypeSizeIgnoresTopBit) {
    const std::int32_t widths[] = {1, 2, 1, 2, 4, 8, 8, 4, 8, 8, 10};
    for (TKvDataType code = 0; code <= dtExtended; ++code) {
        EXPECT_EQ(TypeSize(code), widths[code]);
        EXPECT_EQ(TypeSize(static_cast<TKvDataType>(code | 0x80)), widths[code]);
    }
    EXPECT_EQ(TypeSize(11), -1);
}

TEST(KvTypesTest, TidyNumberText) {
    const std::pair<std::string, std::string> cases[] = {
        {"1.50000000000000E-0002", "0.015"},
        {"-1.23450000000000E-0003", "-0.0012345"},
        {"1.50000000000000E+0001", "15"},
        {"1.00000000000000E+0000", "1"},
        {"1.23456789012345E+0014", "123456789012345"},
        {"1.00000000000000E+0020", "1E+20"},
        {"1.50000000000000E-0005", "1.5E-5"},
        {"1.23456789012345E+0015", "1.23456789012345E+15"},
        {" \t1.50000000000000E+0000\r\n", "1.5"},
        {"-0.00000000000000E+0000", "0"},
        {"1E+0000", "1"},          // no point: nothing to expand, the zero exponent goes
        {"1.50E+1.0", "1.5E+1.0"}, // an exponent with a point is not converted
        {"2.50E", "2.5E"},         // nor an empty one
        {"                  +Inf", "+Inf"},
    };
    for (const auto& [raw, tidy] : cases) {
        std::string text = raw;
        TidyNumberText(text);
        EXPECT_EQ(text, tidy) << "from " << raw;
    }
}

TEST(KvTypesTest, ValueToText) {
    const std::pair<long double, std::string> cases[] = {
        {0.0L, "0"},
        {-0.0L, "0"},
        {1.0L, "1"},
        {0.001L, "0.001"},
        {0.0001L, "1E-4"},
        {123.25L, "123.25"},
        {1e14L, "100000000000000"},
        {1e15L, "1E+15"},
        {1.5e15L, "1.5E+15"},
        {999999999999999.5L, "1E+15"}, // the rounding carries into the exponent
        {-2.5L, "-2.5"},
        {-0.025L, "-0.025"},
        {1.0L / 3.0L, "0.333333333333333"},
        {Limits::max(), "1.18973149535723E+4932"},
        {Limits::denorm_min(), "3.64519953188247E-4951"},
        {Limits::infinity(), "+Inf"},
        {-Limits::infinity(), "-Inf"},
        {Limits::quiet_NaN(), "Nan"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(ExtendedText(value), text);

    const std::int8_t shortInt = -128;
    const std::int32_t integer = -7;
    const std::int64_t int64 = std::numeric_limits<std::int64_t>::min();
    const std::int64_t comp = 123456789012345678;
    const float single = 0.1f;
    EXPECT_EQ(ValueToText(&shortInt, dtShortInt), "-128");
    EXPECT_EQ(ValueToText(&integer, dtInteger), "-7");
    EXPECT_EQ(ValueToText(&int64, dtInt64), "-9223372036854775808");
    EXPECT_EQ(ValueToText(&comp, dtComp), "1.23456789012346E+17");
    EXPECT_EQ(ValueToText(&single, dtSingle), "0.100000001490116");
    EXPECT_EQ(ValueToText(&integer, 11), "");
}

TEST(KvTypesTest, TextToValueStoresAtTheCodesWidth) {
    struct Case {
        TKvDataType code;
        std::string text;
        std::vector<std::uint8_t> bytes; // little-endian value bytes expected
    };
    const std::vector<std::uint8_t> zero4(4, 0), zero8(8, 0), zero10(10, 0);
    const Case cases[] = {
        {dtByte, "300", {44}},
        {dtWord, "70000", {0x70, 0x11}},
        {dtSmallInt, " -2", {0xFE, 0xFF}},
        {dtInteger, "2147483648", zero4}, // overflow stores zero
        {dtInteger, "1.5", zero4},
        {dtInt64, "-9223372036854775808", {0, 0, 0, 0, 0, 0, 0, 0x80}},
        {dtInt64, "9223372036854775808", zero8},
        {dtComp, "2.5", {2, 0, 0, 0, 0, 0, 0, 0}}, // ties to even
        {dtComp, "1e19", zero8},
        {dtSingle, "1.5", {0, 0, 0xC0, 0x3F}},
        {dtSingle, "1e39", zero4},
        {dtDouble, "-2", {0, 0, 0, 0, 0, 0, 0, 0xC0}},
        {dtReal, "1e309", zero8},
        {dtExtended, "1e3", {0, 0, 0, 0, 0, 0, 0, 0xFA, 0x08, 0x40}},
        {dtExtended, " -.5", {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0xBF}},
        {dtExtended, "1e5000", zero10},
        {dtExtended, "abc", zero10},
    };
    for (const Case& c : cases) {
        std::uint8_t buffer[16];
        std::memset(buffer, 0xAA, sizeof buffer);
        TextToValue(c.text, buffer, c.code);
        EXPECT_EQ(std::vector<std::uint8_t>(buffer, buffer + c.bytes.size()), c.bytes)
            << c.text << " as code " << int(c.code);
        EXPECT_EQ(buffer[c.bytes.size()], 0xAA) << "wrote beyond the width for " << c.text;
    }
    std::uint8_t untouched = 0xAA;
    TextToValue("1", &untouched, 11);
    EXPECT_EQ(untouched, 0xAA);
}

// Printing and reading back agree at the 15 digits shown, over most of the extended range.
TEST(KvTypesTest, ValueToTextRoundTrip) {
    std::mt19937_64 random(20240611);
    std::uniform_int_distribution<int> exponents(-16000, 16000);
    for (int i = 0; i < 5000; ++i) {
        const long double mantissa = static_cast<long double>(random() | (1ULL << 63)) * 0x1p-63L;
        const long double x = std::ldexp(random() & 1 ? -mantissa : mantissa, exponents(random));
        const std::string text = ExtendedText(x);
        long double back = 0;
        TextToValue(text, &back, dtExtended);
        ASSERT_EQ(ExtendedText(back), text);
        ASSERT_LE(std::fabs(back - x), std::fabs(x) * 5e-15L) << text;
    }
}

TEST(KvTypesTest, RoundHalfUp) {
    const std::pair<double, std::int32_t> cases[] = {
        {-0.7, 0},          {-1.5, -1},
        {-1.7, -1},         {2.5, 3},
        {-0.5, 0},          {0.5, 1},
        {3e9, -1294967296}, {-3e9, 1294967297},
        {4294967301.0, 5},  {0.49999999999999994, 0}, // x + 0.5 is not rounded up to 1 first
    };
    for (const auto& [x, expected] : cases)
        EXPECT_EQ(RoundHalfUp(x), expected) << x;

    // Beyond the 64-bit range the conversion is an invalid operation, as on the processor.
    for (double x : {1e19, -1e19, std::numeric_limits<double>::quiet_NaN()}) {
        std::feclearexcept(FE_ALL_EXCEPT);
        EXPECT_EQ(RoundHalfUp(x), 0) << x;
        EXPECT_TRUE(std::fetestexcept(FE_INVALID)) << x;
    }
    std::feclearexcept(FE_ALL_EXCEPT);
}

TEST(KvTypesTest, FloatToDisplayTextUsesLocaleSeparator) {
    SetDecimalSeparator(',');
    EXPECT_EQ(FloatToDisplayText(-1.5e-5L), "-1,5E-5");
    EXPECT_EQ(FloatToDisplayText(100.0L), "100");
    SetDecimalSeparator('.');
    EXPECT_EQ(FloatToDisplayText(1.5L), "1.5");
    ResetDecimalSeparator();
}

TEST(KvTypesTest, ValueBuffers) {
    EXPECT_EQ(AllocValueBuffer(0), nullptr);
    EXPECT_EQ(ValueBufferSize(nullptr), 0);
    for (std::int32_t size : {1, 2, 10, 16, 17}) {
        void* buffer = AllocValueBuffer(size);
        ASSERT_NE(buffer, nullptr);
        EXPECT_EQ(reinterpret_cast<std::uintptr_t>(buffer) % 16, 0u) << size;
        EXPECT_EQ(ValueBufferSize(buffer), size);
        const auto* bytes = static_cast<const std::uint8_t*>(buffer);
        for (std::int32_t i = 0; i < size; ++i)
            EXPECT_EQ(bytes[i], 0) << size;
        // Any type fits in place; the sanitizer checks the 16-byte access.
        AsExtended(buffer) = 2.5L;
        EXPECT_EQ(AsExtended(static_cast<const void*>(buffer)), 2.5L);
        FreeValueBuffer(buffer);
        EXPECT_EQ(buffer, nullptr);
    }
    void* none = nullptr;
    FreeValueBuffer(none);
    EXPECT_EQ(none, nullptr);
}

} // namespace
