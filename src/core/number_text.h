// Reading numbers from text and writing numbers as text, the one way the program does both.
#pragma once

#include <string>
#include <string_view>

namespace vp {

// The longest text a parameter box holds, in bytes: far more than any number needs, and few
// enough that no text typed, pasted, loaded or given to the tool costs anything to read.
inline constexpr int kParameterTextMaxLength = 64;

// Reads the leading decimal number of a text: blanks anywhere are skipped, then an optional
// sign, digits with at most one ".", and an optional exponent ("E"/"e", optional sign,
// digits). Reading stops at the first other character; a text without a number reads as 0.
// Never fails: a number too large for a double reads as +/-infinity, one too small as 0.
double Val(std::string_view text);

// Shortest decimal form with at most 15 significant digits, no trailing zeros, "." as the
// decimal point; exponent form ("1E-05", "1.5E+15") below 1e-4 and from 1e15. Used for the
// numbers written into text boxes and for the light-curve file. Negative zero is "0".
// Non-finite values, which the program never writes on purpose, come out as "0".
std::string FormatNumber(double value);

// The list format "0.###": at least one digit before the point, at most three after it,
// trailing zeros dropped, the point always written ("2.", "0.305").
std::string FormatZeroPoint3(double value);

// The list format "##.###": as "0.###" but without a forced digit before the point
// (".5", "3.75", "4.").
std::string FormatPoint3(double value);

}  // namespace vp
