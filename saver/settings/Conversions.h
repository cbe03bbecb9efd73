// The number conversions the saver relies on, with the rules of a classic BASIC runtime: the
// lenient reading of a command-line number, strict reading of a settings value, and rounding to 16-
// and 32-bit integers with halves going to the even neighbour. Every function is
// locale-independent: the decimal point is always '.', whatever LC_NUMERIC says.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillaro {

// Reads a number the lenient way: blanks, tabs and line feeds are skipped wherever they stand,
// an optional sign, digits, one decimal point and an exponent (E or D, optional sign) are
// taken, and reading stops at the first character that cannot continue the number. Text with
// no leading number reads as 0. Nothing when the number does not fit a double.
std::optional<double> valueOf(std::string_view text);

// Reads text that must be a number as a whole: blanks and tabs around it, an optional sign,
// digits with at most one decimal point (at least one digit), an optional exponent (E or D,
// optional sign, at least one digit). Nothing for anything else or a number beyond a double.
std::optional<double> parseNumber(std::string_view text);

// Nearest integer, halves to the even neighbour; nothing when the rounded value does not fit.
std::optional<std::int16_t> roundToInt16(double value);
std::optional<std::int32_t> roundToInt32(double value);

// The integer part rounded down (towards minus infinity): 1.7 gives 1, -0.5 gives -1.
double integerPart(double value);

// Decimal text of a whole number: "0", "-1", "32767"; never "-0". Magnitudes of 1e15 and
// more, where a double no longer holds every integer, come out in exponent form ("1E+20").
std::string wholeNumberText(double value);

} // namespace quillaro
