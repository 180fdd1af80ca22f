// The user's locale as the calculator sees it: decimal separator, upper-case mapping of names,
// and the conversions between floats and the text typed into fields and stored in settings.
#pragma once

#include <string>
#include <string_view>

// The decimal separator of the user's locale (from LC_ALL, LC_NUMERIC or LANG), unless
// SetDecimalSeparator chose another.
char DecimalSeparator();
void SetDecimalSeparator(char separator);
// Back to the environment's separator.
void ResetDecimalSeparator();

// The text without leading and trailing blanks and control characters (codes 0 to 32).
std::string Trim(const std::string& text);
// The same part of text, without a copy.
std::string_view TrimmedView(std::string_view text);

// Upper case for names: ASCII and the Latin-1 letters (ä → Ä); other characters unchanged.
// Text is UTF-8.
std::string AnsiUpperCase(const std::string& text);

// Converts a text with the locale's decimal separator; blanks around the number are allowed.
// Raises EConvertError "'%s' ist kein gültiger Gleitkommawert" for anything else.
long double StrToFloat(const std::string& text);
bool TryStrToFloat(const std::string& text, long double& value);

// Converts a text with "." as decimal point (expression numbers, stored values). No blanks,
// no locale. False for a malformed or out-of-range text.
bool TryTextToExtended(std::string_view text, long double& value);

// |value| rounded to 15 significant digits, as the digits and the decimal exponent of the first
// one: |value| = d.dddddddddddddd * 10^exponent. For finite values; zero gives 15 zeros and 0.
// Independent of the process's C locale.
void ScientificDigits(long double value, std::string& digits, int& exponent);

// The general float text: up to 15 significant digits, scientific for large and small
// magnitudes (1E20, 1.5E-5), the locale's decimal separator; "INF", "-INF", "NAN" otherwise.
std::string FloatToStr(long double value);
// Fixed notation: the value rounded to precision significant digits, written with digits
// decimals and the locale's separator; the general text when the integer part needs more than
// precision digits.
std::string FloatToStrFixed(long double value, int precision, int digits);
