#include "platform/Utf8.h"

namespace {

constexpr char32_t ReplacementCharacter = 0xFFFD;

bool IsContinuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

// Decodes the character at pos and advances pos. A malformed sequence yields U+FFFD and is
// skipped as its longest valid prefix, so the next lead byte is never swallowed.
char32_t DecodeNext(const std::string& text, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(text[pos]);
    ++pos;
    if (lead < 0x80) return lead;

    int trailing;
    char32_t code;
    // The second byte's range excludes overlong forms, surrogates and values beyond U+10FFFF.
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        trailing = 1;
        code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        trailing = 2;
        code = lead & 0x0F;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        trailing = 3;
        code = lead & 0x07;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return ReplacementCharacter;
    }

    for (int i = 0; i < trailing; ++i) {
        if (pos >= text.size()) return ReplacementCharacter;
        const auto byte = static_cast<unsigned char>(text[pos]);
        const bool valid = i == 0 ? byte >= low && byte <= high : IsContinuation(byte);
        if (!valid) return ReplacementCharacter;
        code = (code << 6) | (byte & 0x3F);
        ++pos;
    }
    return code;
}

} // namespace

std::u32string Utf8ToU32(const std::string& text) {
    std::u32string result;
    Utf8ToU32(text, result);
    return result;
}

void Utf8ToU32(const std::string& text, std::u32string& result) {
    // Never more characters than bytes; most texts are plain ASCII, a byte per character.
    result.resize(text.size());
    char32_t* out = result.data();
    std::size_t count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count) {
        const auto lead = static_cast<unsigned char>(text[pos]);
        if (lead < 0x80) {
            out[count] = lead;
            ++pos;
        } else {
            out[count] = DecodeNext(text, pos);
        }
    }
    result.resize(count);
}

std::string U32ToUtf8(char32_t character) {
    if ((character >= 0xD800 && character <= 0xDFFF) || character > 0x10FFFF)
        character = ReplacementCharacter;
    std::string out;
    if (character < 0x80) {
        out += static_cast<char>(character);
    } else if (character < 0x800) {
        out += static_cast<char>(0xC0 | (character >> 6));
        out += static_cast<char>(0x80 | (character & 0x3F));
    } else if (character < 0x10000) {
        out += static_cast<char>(0xE0 | (character >> 12));
        out += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (character & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (character >> 18));
        out += static_cast<char>(0x80 | ((character >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((character >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (character & 0x3F));
    }
    return out;
}

std::string U32ToUtf8(const std::u32string& text) {
    std::string result;
    result.reserve(text.size());
    for (char32_t character : text)
        result += U32ToUtf8(character);
    return result;
}

int Utf8Length(const std::string& text) {
    int count = 0;
    for (std::size_t pos = 0; pos < text.size(); ++count)
        DecodeNext(text, pos);
    return count;
}
