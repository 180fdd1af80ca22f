#include "platform/Utf8.h"

#include <gtest/gtest.h>

namespace {

TEST(Utf8Test, Decode) {
    const std::pair<std::string, std::u32string> cases[] = {
        {"", U""},
        {"a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80", U"a\u00E4\u20AC\U0001F600"},
        {"\x7F\xC2\x80\xDF\xBF\xE0\xA0\x80\xEF\xBF\xBF\xF4\x8F\xBF\xBF",
         U"\u007F\u0080\u07FF\u0800\uFFFF\U0010FFFF"},
        // Malformed sequences: one U+FFFD each, and the next character survives.
        {"\xFF", U"\uFFFD"},
        {"\x80x", U"\uFFFDx"},
        {"\xC3", U"\uFFFD"},
        {"\xC3(", U"\uFFFD("},
        {"\xE2\x82", U"\uFFFD"},
        {"\xE2\x82\xC3\xA4", U"\uFFFD\u00E4"},
        {"\xC0\xAF", U"\uFFFD\uFFFD"},                     // overlong
        {"\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},           // surrogate
        {"\xF4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"}, // beyond U+10FFFF
    };
    for (const auto& [text, decoded] : cases) {
        EXPECT_EQ(Utf8ToU32(text), decoded) << text;
        EXPECT_EQ(Utf8Length(text), static_cast<int>(decoded.size())) << text;
    }
}

TEST(Utf8Test, EncodeRoundTrip) {
    const std::u32string text = U"a\u0080\u07FF\u0800\u00E4\uFFFF\U00010000\U0010FFFF";
    EXPECT_EQ(Utf8ToU32(U32ToUtf8(text)), text);
    EXPECT_EQ(U32ToUtf8(U'\u00C4'), "\xC3\x84");
    // Code points that UTF-8 cannot carry become U+FFFD.
    EXPECT_EQ(U32ToUtf8(static_cast<char32_t>(0xD800)), "\xEF\xBF\xBD");
    EXPECT_EQ(U32ToUtf8(static_cast<char32_t>(0x110000)), "\xEF\xBF\xBD");
}

} // namespace
