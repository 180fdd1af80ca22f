#include "values/KvTypes.h"

#include <algorithm>
#include <cfenv>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>

#include "platform/Locale.h"

namespace {

constexpr std::int32_t Widths[] = {1, 2, 1, 2, 4, 8, 8, 4, 8, 8, 10};

// Room ahead of the value bytes, a multiple of the alignment so the value stays aligned.
constexpr std::size_t BufferHeader = 16;
constexpr std::size_t BufferAlignment = 16;
// Every buffer holds a full long double, so any type fits and 16-byte loads stay inside.
constexpr std::size_t MinimumValueBytes = 16;

constexpr long double Two63 = 0x1p63L;
// The smallest magnitudes that round to infinity when narrowed (the halfway point above the
// largest finite value rounds to even, upward).
constexpr long double SingleOverflow = 0x1p128L - 0x1p103L;
constexpr long double DoubleOverflow = 0x1p1024L - 0x1p970L;

template <typename T> T Load(const void* value) {
    T result{};
    std::memcpy(&result, value, sizeof(T));
    return result;
}

template <typename T> void Store(void* dest, T value) {
    std::memcpy(dest, &value, sizeof(T));
}

long double LoadFloat(const void* value, TKvDataType code) {
    switch (code) {
    case dtComp:
        return static_cast<long double>(Load<std::int64_t>(value));
    case dtSingle:
        return Load<float>(value);
    case dtDouble:
    case dtReal:
        return Load<double>(value);
    default: {
        // Only the ten bytes of the extended format are read.
        long double result = 0;
        std::memcpy(&result, value, 10);
        return result;
    }
    }
}

// The fixed 23-character scientific form: sign or blank, d.dddddddddddddd, E, sign, 4 digits.
std::string ScientificText(long double x) {
    if (std::isnan(x)) return std::string(20, ' ') + "Nan";
    if (std::isinf(x)) return std::string(19, ' ') + (x < 0 ? "-Inf" : "+Inf");
    std::string digits;
    int exponent;
    ScientificDigits(x, digits, exponent);
    std::string text(1, std::signbit(x) ? '-' : ' ');
    text += digits[0];
    text += '.';
    text += digits.substr(1);
    text += 'E';
    text += exponent < 0 ? '-' : '+';
    const std::string exponentDigits = std::to_string(std::abs(exponent));
    text.append(4 - exponentDigits.size(), '0');
    text += exponentDigits;
    return text;
}

// [sign]digits within 32 bits, nothing else.
bool TryParseInt32(const std::string& text, std::int32_t& value) {
    std::size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i == text.size()) return false;
    std::int64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        magnitude = magnitude * 10 + (text[i] - '0');
        if (magnitude > 2147483648LL) return false;
    }
    const std::int64_t result = negative ? -magnitude : magnitude;
    if (result > std::numeric_limits<std::int32_t>::max()) return false;
    value = static_cast<std::int32_t>(result);
    return true;
}

// Leading blanks, an optional sign and decimal digits; false on anything else or beyond
// the range of the given width.
bool TryParseInteger(const std::string& text, std::int64_t low, std::uint64_t highMagnitude,
                     std::int64_t& value) {
    std::size_t i = text.find_first_not_of(' ');
    if (i == std::string::npos) return false;
    bool negative = false;
    if (text[i] == '+' || text[i] == '-') negative = text[i++] == '-';
    if (i == text.size()) return false;
    const std::uint64_t limit =
        negative ? static_cast<std::uint64_t>(-(low + 1)) + 1 : highMagnitude;
    std::uint64_t magnitude = 0;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        const auto digit = static_cast<std::uint64_t>(text[i] - '0');
        if (magnitude > (limit - digit) / 10) return false;
        magnitude = magnitude * 10 + digit;
    }
    // Two's complement wrap of the magnitude gives the negative value without overflow.
    value = static_cast<std::int64_t>(negative ? 0 - magnitude : magnitude);
    return true;
}

// The float codes: zero when the text is no number or the value overflows the target.
void StoreFloat(const std::string& text, void* dest, TKvDataType code) {
    const std::size_t start = text.find_first_not_of(' ');
    long double x = 0;
    if (start == std::string::npos || !TryTextToExtended(text.substr(start), x)) x = 0;
    switch (code) {
    case dtComp: {
        const long double rounded = std::nearbyint(x);
        const bool fits = rounded >= -Two63 && rounded < Two63;
        Store<std::int64_t>(dest, fits ? static_cast<std::int64_t>(rounded) : 0);
        break;
    }
    case dtSingle: {
        const bool fits = std::fabs(x) < SingleOverflow;
        Store<float>(dest, fits ? static_cast<float>(x) : 0.0f);
        break;
    }
    case dtDouble:
    case dtReal: {
        const bool fits = std::fabs(x) < DoubleOverflow;
        Store<double>(dest, fits ? static_cast<double>(x) : 0.0);
        break;
    }
    default:
        std::memcpy(dest, &x, 10);
        break;
    }
}

} // namespace

std::int32_t TypeSize(TKvDataType code) {
    const unsigned index = code & 0x7F;
    return index <= dtExtended ? Widths[index] : -1;
}

std::string ValueToText(const void* value, TKvDataType code) {
    switch (code) {
    case dtByte:
        return std::to_string(Load<std::uint8_t>(value));
    case dtWord:
        return std::to_string(Load<std::uint16_t>(value));
    case dtShortInt:
        return std::to_string(Load<std::int8_t>(value));
    case dtSmallInt:
        return std::to_string(Load<std::int16_t>(value));
    case dtInteger:
        return std::to_string(Load<std::int32_t>(value));
    case dtInt64:
        return std::to_string(Load<std::int64_t>(value));
    case dtComp:
    case dtSingle:
    case dtDouble:
    case dtReal:
    case dtExtended: {
        std::string text = ScientificText(LoadFloat(value, code));
        TidyNumberText(text);
        return text;
    }
    default:
        return "";
    }
}

// Positions below are 1-based; at(p) is the character at position p.
void TidyNumberText(std::string& text) {
    text = Trim(text);

    auto at = [&](std::size_t p) { return text[p - 1]; };
    auto position = [&](char c) { // 0 when absent
        const std::size_t found = text.find(c);
        return found == std::string::npos ? 0 : found + 1;
    };
    // Deletes the run of "0" at the end of the text, keeping position keep and before.
    auto trimZerosAfter = [&](std::size_t keep) {
        while (text.size() > keep && text.back() == '0')
            text.pop_back();
    };

    const bool negative = !text.empty() && text[0] == '-';
    const std::size_t e = position('E');
    if (e != 0) {
        const std::size_t d = position('.');
        const std::string exponentText = text.substr(e);
        std::int32_t n = 0;
        const bool expand = d != 0 && d < e && exponentText.find('.') == std::string::npos &&
                            TryParseInt32(exponentText, n);
        if (expand && n >= -3 && n <= -1) {
            text.erase(e - 1);
            text.erase(d - 1, 1);
            if (negative) text.erase(0, 1);
            text.insert(0, static_cast<std::size_t>(-n), '0');
            if (negative) text.insert(0, 1, '-');
            text.insert(d - 1, 1, '.');
            trimZerosAfter(d);
        } else if (expand && n >= 0 && static_cast<std::size_t>(n) < e - d) {
            const std::size_t point = d + static_cast<std::size_t>(n);
            text.erase(d - 1, 1);
            text.insert(point - 1, 1, '.');
            text.erase(e - 1);
            trimZerosAfter(point);
            if (!text.empty() && text.back() == '.') text.pop_back();
        } else {
            std::size_t k = e + 1;
            if (k <= text.size() && (at(k) == '+' || at(k) == '-')) ++k;
            const std::size_t firstNonZero =
                k <= text.size() ? text.find_first_not_of('0', k - 1) : std::string::npos;
            if (firstNonZero != std::string::npos) {
                text.erase(k - 1, firstNonZero - (k - 1));
            } else if (!text.empty() && text.back() == '0') {
                text.erase(e - 1);
            }
            if (d != 0 && d < e) {
                std::size_t p = e - 1;
                while (p > d && at(p) == '0')
                    --p;
                // Positions p+1 .. e-1 are the mantissa's trailing zeros; the point goes too
                // when nothing is left after it.
                const std::size_t from = p == d ? p : p + 1;
                text.erase(from - 1, e - from);
                if (!text.empty() && text.back() == '.') text.pop_back();
            }
        }
    }
    if (text == "-0") text.erase(0, 1);
}

void TextToValue(const std::string& text, void* dest, TKvDataType code) {
    std::int64_t value = 0;
    switch (code) {
    case dtByte:
    case dtShortInt:
        if (!TryParseInteger(text, INT32_MIN, INT32_MAX, value)) value = 0;
        Store<std::uint8_t>(dest, static_cast<std::uint8_t>(value));
        break;
    case dtWord:
    case dtSmallInt:
        if (!TryParseInteger(text, INT32_MIN, INT32_MAX, value)) value = 0;
        Store<std::uint16_t>(dest, static_cast<std::uint16_t>(value));
        break;
    case dtInteger:
        if (!TryParseInteger(text, INT32_MIN, INT32_MAX, value)) value = 0;
        Store<std::int32_t>(dest, static_cast<std::int32_t>(value));
        break;
    case dtInt64:
        if (!TryParseInteger(text, INT64_MIN, INT64_MAX, value)) value = 0;
        Store<std::int64_t>(dest, value);
        break;
    case dtComp:
    case dtSingle:
    case dtDouble:
    case dtReal:
    case dtExtended:
        StoreFloat(text, dest, code);
        break;
    default:
        break;
    }
}

std::int32_t RoundHalfUp(double x) {
    // Exact in extended precision for every double of integer range.
    const long double shifted = std::trunc(static_cast<long double>(x) + 0.5L);
    if (std::isnan(shifted) || !(shifted >= -Two63 && shifted < Two63)) {
        // The processor's conversion: an invalid operation, giving the integer indefinite
        // 0x8000000000000000, whose low 32 bits are 0.
        std::feraiseexcept(FE_INVALID);
        return 0;
    }
    const auto wide = static_cast<std::uint64_t>(static_cast<std::int64_t>(shifted));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(wide));
}

std::string FloatToDisplayText(long double x) {
    std::string text = ValueToText(&x, dtExtended);
    const std::size_t point = text.find('.');
    if (point != std::string::npos) text[point] = DecimalSeparator();
    return text;
}

void* AllocValueBuffer(std::int32_t size) {
    if (size <= 0) return nullptr;
    const std::size_t valueBytes =
        std::max<std::size_t>(static_cast<std::size_t>(size), MinimumValueBytes);
    auto* block = static_cast<unsigned char*>(
        ::operator new (BufferHeader + valueBytes, std::align_val_t{BufferAlignment}));
    std::memset(block, 0, BufferHeader + valueBytes);
    unsigned char* value = block + BufferHeader;
    std::memcpy(value - sizeof(std::int32_t), &size, sizeof(std::int32_t));
    return value;
}

void FreeValueBuffer(void*& buffer) {
    if (buffer == nullptr) return;
    ::operator delete (static_cast<unsigned char*>(buffer) - BufferHeader,
                       std::align_val_t{BufferAlignment});
    buffer = nullptr;
}

std::int32_t ValueBufferSize(const void* buffer) {
    if (buffer == nullptr) return 0;
    std::int32_t size;
    std::memcpy(&size, static_cast<const unsigned char*>(buffer) - sizeof(std::int32_t),
                sizeof(std::int32_t));
    return size;
}
