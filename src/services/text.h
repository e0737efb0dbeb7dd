#pragma once
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

// Text and number conversions. A text is GBK bytes; lengths and positions count bytes.

std::string IntegerToText(std::int32_t value);
// "%.13g" with at least three exponent digits, on every platform.
std::string RealToText(double value);
// Folds full-width forms to ASCII, then reads a decimal number as strtod does; 0 when none.
double TextToNumber(std::string_view text);
// Truncates toward zero to 64 bits and keeps the low 32; out of range, infinite or NaN gives 0.
std::int32_t RealToInteger(double value);
// Integer part, raised by one when the fraction exceeds 0.999999999999.
std::int32_t TruncateReal(double value);
double RealRemainder(double a, double b);
// decimals absent: no rounding, no padding.
std::string FormatNumber(double x, std::optional<int> decimals, bool separators);
std::int32_t TextLength(std::string_view text);
std::string TextLeft(std::string_view text, std::int32_t n);
// Drops ASCII and ideographic spaces, never a byte inside a double-byte character.
std::string RemoveAllSpaces(std::string_view text);
int CompareTexts(std::string_view a, std::string_view b);
std::string JoinTexts(std::initializer_list<std::string_view> parts);
