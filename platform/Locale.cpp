#include "platform/Locale.h"

#include <cerrno>
#include <cfenv>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <langinfo.h>
#include <locale.h>
#include <optional>
#include <string_view>

#include "platform/Exceptions.h"
#include "platform/FpuFaults.h"

namespace {

std::optional<char> separatorOverride;
std::optional<char> environmentSeparator;

// Languages whose usual decimal separator is a comma.
constexpr const char* CommaLanguages[] = {
    "ab", "an", "ast", "az", "be", "bg", "br", "bs",  "ca",  "cs", "da", "de", "dsb", "el", "es",
    "et", "eu", "fi",  "fo", "fr", "fy", "gl", "hr",  "hsb", "hu", "id", "is", "it",  "ka", "kk",
    "ky", "lb", "lt",  "lv", "mk", "mn", "nb", "nds", "nl",  "nn", "no", "oc", "pl",  "pt", "ro",
    "ru", "se", "sk",  "sl", "sq", "sr", "sv", "tg",  "tr",  "tt", "uk", "vi", "wa"};
// Regions that differ from their language's usual separator.
constexpr const char* PointRegions[] = {"de_CH", "de_LI", "fr_CH", "it_CH", "az_IR",
                                        "es_DO", "es_GT", "es_HN", "es_MX", "es_NI",
                                        "es_PA", "es_PR", "es_SV", "es_US"};
constexpr const char* CommaRegions[] = {"en_DK"};

// A "C" locale of our own: the process's global locale may be changed by the window toolkit.
locale_t ClassicLocale() {
    static const locale_t classic = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return classic;
}

std::string EnvironmentLocaleName() {
    for (const char* variable : {"LC_ALL", "LC_NUMERIC", "LANG"}) {
        const char* value = std::getenv(variable);
        if (value != nullptr && *value != '\0') return value;
    }
    return "";
}

// For a locale that is not installed: guess from its language and region.
char SeparatorFromTable(const std::string& name) {
    const std::string region = name.substr(0, name.find_first_of(".@"));
    const std::string language = region.substr(0, region.find('_'));
    for (const char* entry : PointRegions)
        if (region == entry) return '.';
    for (const char* entry : CommaRegions)
        if (region == entry) return ',';
    for (const char* entry : CommaLanguages)
        if (language == entry) return ',';
    return '.';
}

char SeparatorOfLocale(const std::string& name) {
    if (name.empty() || name == "C" || name == "POSIX") return '.';
    locale_t locale = newlocale(LC_NUMERIC_MASK, name.c_str(), static_cast<locale_t>(nullptr));
    if (locale != static_cast<locale_t>(nullptr)) {
        const char* radix = nl_langinfo_l(RADIXCHAR, locale);
        // Only a one-byte separator fits; others (e.g. the Arabic one) fall back to the table.
        const bool usable =
            radix != nullptr && (radix[0] == '.' || radix[0] == ',') && radix[1] == '\0';
        const char separator = usable ? radix[0] : '\0';
        freelocale(locale);
        if (usable) return separator;
    }
    return SeparatorFromTable(name);
}

// strtold sets status flags (inexact, overflow) that the evaluation reads as faults.
class TFpuFlagsGuard {
public:
    TFpuFlagsGuard() : Saved(FpuSaveFlags()) {}
    ~TFpuFlagsGuard() { FpuRestoreFlags(Saved); }
    TFpuFlagsGuard(const TFpuFlagsGuard&) = delete;
    TFpuFlagsGuard& operator=(const TFpuFlagsGuard&) = delete;

private:
    TFpuFlagState Saved;
};

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// [sign] (digits [sep [digits]] | sep digits) [(E|e) [sign] digits], optionally framed by
// blanks. The number is written to canonical, with "." as point and a closing NUL, for the
// conversion; canonical has room for the text's length plus one.
bool ScanNumber(std::string_view text, char separator, bool blanks, char* canonical) {
    std::size_t i = 0;
    const std::size_t n = text.size();
    char* out = canonical;
    auto copyDigits = [&] {
        const std::size_t start = i;
        while (i < n && IsDigit(text[i]))
            *out++ = text[i++];
        return i - start;
    };
    if (blanks)
        while (i < n && text[i] == ' ')
            ++i;
    if (i < n && (text[i] == '+' || text[i] == '-')) *out++ = text[i++];
    std::size_t mantissaDigits = copyDigits();
    if (i < n && text[i] == separator) {
        *out++ = '.';
        ++i;
        mantissaDigits += copyDigits();
    }
    if (mantissaDigits == 0) return false;
    if (i < n && (text[i] == 'E' || text[i] == 'e')) {
        *out++ = 'e';
        ++i;
        if (i < n && (text[i] == '+' || text[i] == '-')) *out++ = text[i++];
        if (copyDigits() == 0) return false;
    }
    if (blanks)
        while (i < n && text[i] == ' ')
            ++i;
    *out = '\0';
    return i == n;
}

// The exact powers of ten: 10^k = 5^k * 2^k, and 5^27 still fits the 64-bit significand.
constexpr int MaxExactPower = 27;
constexpr long double ExactPowers[MaxExactPower + 1] = {
    1e0L,  1e1L,  1e2L,  1e3L,  1e4L,  1e5L,  1e6L,  1e7L,  1e8L,  1e9L,
    1e10L, 1e11L, 1e12L, 1e13L, 1e14L, 1e15L, 1e16L, 1e17L, 1e18L, 1e19L,
    1e20L, 1e21L, 1e22L, 1e23L, 1e24L, 1e25L, 1e26L, 1e27L};

// Short numbers without the library: at most 19 significant digits make an exact integer, and
// one multiplication or division by an exact power of ten rounds once, correctly, as strtold
// does. False for anything else, which then goes to strtold.
bool ConvertShortNumber(const char* canonical, long double& value) {
    const char* p = canonical;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    std::uint64_t mantissa = 0;
    int significant = 0;
    int exponent = 0;
    bool point = false;
    for (;; ++p) {
        if (*p == '.') {
            point = true;
            continue;
        }
        if (!IsDigit(*p)) break;
        if (mantissa == 0 && *p == '0') {
            // Leading zeros carry no digit, but after the point they still shift it.
            if (point) --exponent;
            continue;
        }
        if (++significant > 19) return false;
        mantissa = mantissa * 10 + static_cast<std::uint64_t>(*p - '0');
        if (point) --exponent;
    }
    if (*p == 'e') {
        ++p;
        const bool negativeExponent = *p == '-';
        if (*p == '+' || *p == '-') ++p;
        int written = 0;
        for (int digits = 0; IsDigit(*p); ++p, ++digits) {
            if (digits >= 4) return false;
            written = written * 10 + (*p - '0');
        }
        exponent += negativeExponent ? -written : written;
    }
    if (*p != '\0') return false;
    if (exponent < -MaxExactPower || exponent > MaxExactPower) {
        if (mantissa != 0) return false;
        exponent = 0;
    }
    long double result = static_cast<long double>(mantissa);
    if (exponent >= 0)
        result *= ExactPowers[exponent];
    else
        result /= ExactPowers[-exponent];
    value = negative ? -result : result;
    return true;
}

bool ConvertNumber(std::string_view text, char separator, bool blanks, long double& value) {
    // Numbers in expressions are short: their canonical form fits on the stack.
    constexpr std::size_t Inside = 64;
    char inside[Inside];
    std::string outside;
    char* canonical = inside;
    if (text.size() >= Inside) {
        outside.resize(text.size() + 1);
        canonical = outside.data();
    }
    if (!ScanNumber(text, separator, blanks, canonical)) return false;
    TFpuFlagsGuard guard;
    if (ConvertShortNumber(canonical, value)) return true;
    const int savedErrno = errno;
    // Correctly rounded; an underflow gives a subnormal or zero, which is accepted.
    const long double result = strtold_l(canonical, nullptr, ClassicLocale());
    errno = savedErrno;
    if (std::isinf(result)) return false;
    value = result;
    return true;
}

} // namespace

char DecimalSeparator() {
    if (separatorOverride) return *separatorOverride;
    if (!environmentSeparator) environmentSeparator = SeparatorOfLocale(EnvironmentLocaleName());
    return *environmentSeparator;
}

void SetDecimalSeparator(char separator) {
    separatorOverride = separator;
}

void ResetDecimalSeparator() {
    separatorOverride.reset();
    environmentSeparator.reset();
}

std::string AnsiUpperCase(const std::string& text) {
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte >= 'a' && byte <= 'z') {
            result += static_cast<char>(byte - ('a' - 'A'));
            continue;
        }
        // U+00E0..U+00FF are C3 A0..C3 BF; their capitals lie 0x20 lower, except ÷ (no case)
        // and ÿ, whose capital Ÿ is U+0178. Bytes that are not such a pair stay as they are.
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
        if (byte == 0xC3 && next >= 0xA0 && next <= 0xBF && next != 0xB7) {
            if (next == 0xBF) {
                result += "\xC5\xB8";
            } else {
                result += static_cast<char>(byte);
                result += static_cast<char>(next - 0x20);
            }
            ++i;
            continue;
        }
        result += static_cast<char>(byte);
    }
    return result;
}

bool TryStrToFloat(const std::string& text, long double& value) {
    return ConvertNumber(text, DecimalSeparator(), true, value);
}

long double StrToFloat(const std::string& text) {
    long double value = 0;
    if (!TryStrToFloat(text, value))
        throw EConvertError("'" + text + "' ist kein gültiger Gleitkommawert");
    return value;
}

bool TryTextToExtended(std::string_view text, long double& value) {
    return ConvertNumber(text, '.', false, value);
}

void ScientificDigits(long double value, std::string& digits, int& exponent) {
    TFpuFlagsGuard guard;
    char buffer[64];
    // The radix character follows the global C locale, so only the digits and the exponent
    // are read from the printed text.
    std::snprintf(buffer, sizeof buffer, "%.14LE", std::fabs(value));
    digits.clear();
    const char* p = buffer;
    for (; *p != '\0' && *p != 'E'; ++p)
        if (IsDigit(*p)) digits += *p;
    exponent = *p == 'E' ? std::atoi(p + 1) : 0;
}

std::string FloatToStr(long double value) {
    if (std::isnan(value)) return "NAN";
    if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
    if (value == 0) return "0";

    std::string digits;
    int exponent;
    ScientificDigits(value, digits, exponent);
    digits.erase(digits.find_last_not_of('0') + 1);

    std::string text = std::signbit(value) ? "-" : "";
    const char separator = DecimalSeparator();
    if (exponent >= 15 || exponent < -4) {
        text += digits[0];
        if (digits.size() > 1) text += separator + digits.substr(1);
        text += 'E' + std::to_string(exponent);
    } else if (exponent >= 0) {
        const auto integerDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() < integerDigits) digits.append(integerDigits - digits.size(), '0');
        text += digits.substr(0, integerDigits);
        if (digits.size() > integerDigits) text += separator + digits.substr(integerDigits);
    } else {
        text += "0";
        text += separator;
        text.append(static_cast<std::size_t>(-exponent - 1), '0');
        text += digits;
    }
    return text;
}

std::string Trim(const std::string& text) {
    return std::string(TrimmedView(text));
}

std::string_view TrimmedView(std::string_view text) {
    const auto isBlank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
    std::size_t first = 0;
    std::size_t last = text.size();
    while (first < last && isBlank(text[first]))
        ++first;
    while (last > first && isBlank(text[last - 1]))
        --last;
    return text.substr(first, last - first);
}

std::string FloatToStrFixed(long double value, int precision, int digits) {
    if (!std::isfinite(value)) return FloatToStr(value);
    char buffer[128];
    // to_chars writes "." whatever the process's C locale says.
    auto rounded = std::to_chars(buffer, buffer + sizeof buffer, value,
                                 std::chars_format::scientific, precision - 1);
    long double roundedValue = 0;
    std::from_chars(buffer, rounded.ptr, roundedValue);
    if (std::fabs(roundedValue) >= std::pow(10.0L, precision)) return FloatToStr(value);
    auto fixed = std::to_chars(buffer, buffer + sizeof buffer, roundedValue,
                               std::chars_format::fixed, digits);
    std::string text(buffer, fixed.ptr);
    const std::size_t point = text.find('.');
    if (point != std::string::npos) text[point] = DecimalSeparator();
    return text;
}
