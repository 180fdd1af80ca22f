// Number texts convert to the same 80-bit value as the C library's correctly rounded strtold,
// whichever way the conversion takes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "platform/Locale.h"

namespace {

// strtold in the C locale, as the reference.
bool Reference(const std::string& text, long double& value) {
    char* end = nullptr;
    value = std::strtold(text.c_str(), &end);
    return *end == '\0';
}

void ExpectAsLibrary(const std::string& text) {
    long double expected = 0;
    ASSERT_TRUE(Reference(text, expected)) << text;
    long double actual = -1;
    ASSERT_TRUE(TryTextToExtended(text, actual)) << text;
    EXPECT_EQ(std::memcmp(&actual, &expected, 10), 0)
        << text << ": " << static_cast<double>(actual) << " against "
        << static_cast<double>(expected);
}

TEST(NumberTextTest, EdgesOfTheShortWay) {
    const char* const texts[] = {
        "0", "0.0", ".5", "5.", "00000000000000000000000000001", "0.000000000000000000000000001",
        // 19 significant digits, the most the short way takes, and 20, which it leaves.
        "9999999999999999999", "18446744073709551615", "9223372036854775808",
        "1234567890123456789e8", "12345678901234567890", "1.234567890123456789",
        // Exact powers of ten up to 10^27 and just beyond.
        "1e27", "1e28", "1e-27", "1e-28", "3e27", "7e-27", "123456789e19", "123456789e-19",
        // Halfway cases and values that do not fit 64 bits.
        "0.1", "0.2", "0.3", "2.5e-5", "9007199254740993", "18446744073709551617",
        "36893488147419103231", "1e19", "10000000000000000000",
        // Zero with any exponent, and long exponents.
        "0e99", "0e-99", "0e9999", "1e0001", "1e00001", "1e-0005",
        // Far ends, where only the library is right.
        "1e4932", "1.18973149535723176502e4932", "3.6e-4951", "1e-4940",
    };
    for (const char* text : texts)
        ExpectAsLibrary(text);
}

TEST(NumberTextTest, RandomShortNumbersAgree) {
    std::mt19937_64 random(20261208);
    std::uniform_int_distribution<int> digitCount(1, 22), digit(0, 9), pointAt(0, 22),
        exponent(-32, 32), form(0, 2);
    for (int i = 0; i < 200000; ++i) {
        std::string text;
        const int count = digitCount(random);
        const int point = pointAt(random);
        for (int d = 0; d < count; ++d) {
            if (d == point) text += '.';
            text += static_cast<char>('0' + digit(random));
        }
        if (form(random) != 0) text += (form(random) == 0 ? "E" : "e") + std::to_string(exponent(random));
        ExpectAsLibrary(text);
        if (HasFailure()) break;
    }
}

} // namespace
