// UTF-8 text as characters: positions shown to the user count characters, not bytes.
#pragma once

#include <string>

// Decodes UTF-8; a malformed byte becomes U+FFFD.
std::u32string Utf8ToU32(const std::string& text);
// The same into result, whose room is kept: for callers that decode text after text.
void Utf8ToU32(const std::string& text, std::u32string& result);
std::string U32ToUtf8(const std::u32string& text);
std::string U32ToUtf8(char32_t character);
// Number of characters.
int Utf8Length(const std::string& text);
