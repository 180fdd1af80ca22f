// Data type codes, value buffers and the calculator's number text.
#pragma once

#include <cstdint>
#include <string>

using TKvDataType = std::uint8_t;

constexpr TKvDataType dtByte = 0;
constexpr TKvDataType dtWord = 1;
constexpr TKvDataType dtShortInt = 2;
constexpr TKvDataType dtSmallInt = 3;
constexpr TKvDataType dtInteger = 4;
constexpr TKvDataType dtInt64 = 5;
constexpr TKvDataType dtComp = 6;
constexpr TKvDataType dtSingle = 7;
constexpr TKvDataType dtDouble = 8;
constexpr TKvDataType dtReal = 9;
constexpr TKvDataType dtExtended = 10;

// Width in value bytes; -1 for a code outside 0..10. The top bit of the code is ignored.
std::int32_t TypeSize(TKvDataType code);

// The text of a value: plain decimal for the integer codes, the tidied scientific form for the
// float codes. Empty for a code outside 0..10.
std::string ValueToText(const void* value, TKvDataType code);

// Rewrites a scientific float text into the calculator's number format, in place.
void TidyNumberText(std::string& text);

// Parses a number ("." as decimal point) and stores it at the width of the code; zero when the
// text does not convert. A code outside 0..10 stores nothing.
void TextToValue(const std::string& text, void* dest, TKvDataType code);

// Truncates x + 0.5 toward zero and keeps the low 32 bits. Beyond the 64-bit integer range (and
// for NaN) it gives 0 and raises the invalid-operation flag, as the processor's conversion does.
std::int32_t RoundHalfUp(double x);

// ValueToText of an extended value with the locale's decimal separator.
std::string FloatToDisplayText(long double x);

// A value buffer holds one value; its byte size is stored just ahead of the value bytes.
// Every buffer has room for at least an extended value, so a buffer can change its type in place.
void* AllocValueBuffer(std::int32_t size);
void FreeValueBuffer(void*& buffer);
std::int32_t ValueBufferSize(const void* buffer);

inline long double& AsExtended(void* value) { return *static_cast<long double*>(value); }
inline long double AsExtended(const void* value) { return *static_cast<const long double*>(value); }
