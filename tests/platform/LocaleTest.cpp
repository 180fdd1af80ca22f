#include "platform/Locale.h"

#include <gtest/gtest.h>

#include <cfenv>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <random>

#include "platform/Exceptions.h"
#include "values/KvTypes.h"

namespace {

using Limits = std::numeric_limits<long double>;

constexpr const char* LocaleVariables[] = {"LC_ALL", "LC_NUMERIC", "LANG"};

// Each test starts from the environment's separator and gets the environment back afterwards.
class LocaleTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : LocaleVariables) {
            const char* value = std::getenv(name);
            Saved.push_back(value ? std::optional<std::string>(value) : std::nullopt);
        }
        ResetDecimalSeparator();
    }
    void TearDown() override {
        for (std::size_t i = 0; i < Saved.size(); ++i)
            SetVariable(LocaleVariables[i], Saved[i]);
        ResetDecimalSeparator();
    }
    static void SetVariable(const char* name, const std::optional<std::string>& value) {
        if (value && !value->empty())
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }

    std::vector<std::optional<std::string>> Saved;
};

TEST_F(LocaleTest, SeparatorFromEnvironment) {
    struct Case {
        std::string lcAll, lcNumeric, lang;
        char separator;
    };
    // Whether or not these locales are installed, the answer is the same.
    const Case cases[] = {
        {"", "", "de_DE.UTF-8", ','},
        {"", "", "en_US.UTF-8", '.'},
        {"", "", "", '.'},
        {"C", "", "de_DE.UTF-8", '.'},
        {"", "fr_FR", "en_US.UTF-8", ','},
        {"pl_PL", "en_GB", "", ','},
        {"", "", "de_CH.UTF-8", '.'},
        {"", "", "nb_NO", ','},
        {"", "", "xx_YY", '.'},
    };
    for (const Case& c : cases) {
        SetVariable("LC_ALL", c.lcAll);
        SetVariable("LC_NUMERIC", c.lcNumeric);
        SetVariable("LANG", c.lang);
        ResetDecimalSeparator();
        EXPECT_EQ(DecimalSeparator(), c.separator)
            << c.lcAll << "/" << c.lcNumeric << "/" << c.lang;
        SetDecimalSeparator(c.separator == ',' ? '.' : ',');
        EXPECT_NE(DecimalSeparator(), c.separator);
    }
}

TEST_F(LocaleTest, StrToFloat) {
    const std::tuple<char, std::string, long double> cases[] = {
        {',', "  -1,5  ", -1.5L}, {',', ",5", 0.5L},  {',', "5,", 5.0L},
        {',', "+1,5E3", 1500.0L}, {'.', "0.1", 0.1L}, {'.', "1e-5000", 0.0L}, // underflow
    };
    for (const auto& [separator, text, value] : cases) {
        SetDecimalSeparator(separator);
        EXPECT_EQ(StrToFloat(text), value) << text;
    }
}

TEST_F(LocaleTest, StrToFloatErrors) {
    const std::pair<char, std::string> cases[] = {
        {',', "1.5"},   {'.', "1,5"}, {',', ""},    {',', " "},      {',', ","},
        {',', "1,5,3"}, {',', "1e"},  {',', "1e+"}, {',', "1 5"},    {',', "0x10"},
        {',', "inf"},   {',', "\t1"}, {',', "--1"}, {',', "1e5000"}, {',', "-1e5000"},
    };
    for (const auto& [separator, text] : cases) {
        SetDecimalSeparator(separator);
        long double value = 7;
        EXPECT_FALSE(TryStrToFloat(text, value)) << text;
        EXPECT_EQ(value, 7) << "changed by a failed conversion of " << text;
        try {
            StrToFloat(text);
            ADD_FAILURE() << "no error for " << text;
        } catch (const EConvertError& error) {
            EXPECT_EQ(error.Message(), "'" + text + "' ist kein gültiger Gleitkommawert");
        }
    }
}

TEST_F(LocaleTest, TryTextToExtended) {
    const std::pair<std::string, long double> valid[] = {
        {".5", 0.5L},        {"5.", 5.0L},
        {"1e3", 1000.0L},    {"1E+3", 1000.0L},
        {"1.5e-3", 0.0015L}, {"-2", -2.0L},
        {"0.1", 0.1L},       {"1.18973149535723176502e4932", Limits::max()},
    };
    SetDecimalSeparator(','); // no effect: the point is always "."
    for (const auto& [text, expected] : valid) {
        long double value = 0;
        EXPECT_TRUE(TryTextToExtended(text, value)) << text;
        EXPECT_EQ(value, expected) << text;
    }
    for (const std::string text :
         {"1.2.3", "1e", "e", ".", "1e+", "", " 1", "1 ", "1,5", "1e5000", "1.5f"}) {
        long double value = 0;
        EXPECT_FALSE(TryTextToExtended(text, value)) << text;
    }
}

// The evaluation reads the status flags as faults; converting must leave them alone.
TEST_F(LocaleTest, ConversionsKeepFloatingPointFlags) {
    long double value = 0;
    std::feclearexcept(FE_ALL_EXCEPT);
    TryTextToExtended("1e5000", value);
    TryTextToExtended("0.1", value);
    FloatToStr(1.0L / 3.0L);
    EXPECT_EQ(std::fetestexcept(FE_ALL_EXCEPT), 0);
}

TEST_F(LocaleTest, FloatToStr) {
    const std::pair<long double, std::string> cases[] = {
        {0.0L, "0"},
        {-0.0L, "0"},
        {1.5L, "1.5"},
        {100.0L, "100"},
        {1e15L, "1E15"},
        {999999999999999.9L, "1E15"},
        {1e20L, "1E20"},
        {1.5e-5L, "1.5E-5"},
        {0.0001L, "0.0001"},
        {-2.5L, "-2.5"},
        {12345.678L, "12345.678"},
        {-1.5e300L, "-1.5E300"},
        {1e-4000L, "1E-4000"},
        {123456789012345.0L, "123456789012345"},
        {1.0L / 3.0L, "0.333333333333333"},
        {Limits::infinity(), "INF"},
        {-Limits::infinity(), "-INF"},
        {Limits::quiet_NaN(), "NAN"},
    };
    SetDecimalSeparator('.');
    for (const auto& [value, text] : cases)
        EXPECT_EQ(FloatToStr(value), text);
    SetDecimalSeparator(',');
    EXPECT_EQ(FloatToStr(-1.5e-5L), "-1,5E-5");
    EXPECT_EQ(FloatToStr(1.0L / 3.0L), "0,333333333333333");
}

TEST_F(LocaleTest, FloatToStrFixed) {
    struct TCase {
        long double Value;
        int Precision, Digits;
        const char* Text;
    };
    const TCase cases[] = {
        {2995.123L, 5, 2, "2995,10"},   {0.5L, 5, 2, "0,50"},
        {99999.6L, 5, 2, "99999,6"},    {123456.0L, 5, 2, "123456"},
        {1234.5678L, 18, 2, "1234,57"}, {0.0L, 5, 2, "0,00"},
        {-1.005L, 18, 2, "-1,00"},      {Limits::infinity(), 5, 2, "INF"},
    };
    SetDecimalSeparator(',');
    for (const TCase& c : cases)
        EXPECT_EQ(FloatToStrFixed(c.Value, c.Precision, c.Digits), c.Text) << c.Text;
}

TEST_F(LocaleTest, FloatToStrRoundTrip) {
    std::mt19937_64 random(4711);
    std::uniform_int_distribution<int> exponents(-16000, 16000);
    for (char separator : {'.', ','}) {
        SetDecimalSeparator(separator);
        for (int i = 0; i < 3000; ++i) {
            const long double mantissa =
                static_cast<long double>(random() | (1ULL << 63)) * 0x1p-63L;
            const long double x =
                std::ldexp(random() & 1 ? -mantissa : mantissa, exponents(random));
            const std::string text = FloatToStr(x);
            const long double back = StrToFloat(text);
            ASSERT_EQ(FloatToStr(back), text);
            ASSERT_LE(std::fabs(back - x), std::fabs(x) * 5e-15L) << text;
        }
    }
}

// The window toolkit switches the process to the user's locale; our texts must not follow.
TEST_F(LocaleTest, IndependentOfGlobalLocale) {
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr) GTEST_SKIP() << "de_DE not installed";
    SetDecimalSeparator('.');
    const long double x = 1.5L;
    EXPECT_EQ(FloatToStr(x), "1.5");
    EXPECT_EQ(ValueToText(&x, dtExtended), "1.5");
    EXPECT_EQ(StrToFloat("2.25"), 2.25L);
    std::setlocale(LC_ALL, previous.c_str());
}

TEST_F(LocaleTest, AnsiUpperCase) {
    const std::pair<std::string, std::string> cases[] = {
        {"abc_x1", "ABC_X1"},
        {"äöü", "ÄÖÜ"},
        {"àéîõøþ", "ÀÉÎÕØÞ"},
        {"ß÷µ€д", "ß÷µ€д"}, // no Latin-1 capital
        {"ÿ", "Ÿ"},
        {"\xC3", "\xC3"}, // malformed bytes stay
        {"a\xFF"
         "b",
         "A\xFF"
         "B"},
        {"\xC3(", "\xC3("},
    };
    for (const auto& [text, upper] : cases)
        EXPECT_EQ(AnsiUpperCase(text), upper) << text;
}

} // namespace
