// The star parameter file: a header line and the eight parameter texts, comma-separated.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace vp {

// q, i, r1, r2, T1, T2, w1, w2 in this order.
using StarTexts = std::array<std::string, 8>;

// The whole file, CRLF line ends; the mass ratio loses its surrounding blanks. A text that
// holds a comma or a line end, or begins with a double quote, is written in double quotes,
// which the loader strips (a double quote inside it becomes an apostrophe: it cannot stand
// there, and the number the text reads as is the same).
std::string StarFileText(const StarTexts& texts);

struct StarFileError {
    int number = 0;  // the error numbers the program reports: 62, 321
    std::string description;
};

// Reads the file's fields (commas and line ends separate them; leading and trailing blanks
// are dropped; a field in double quotes loses its quotes), skips the eight header fields and
// returns the next eight as they stand: the values are not checked, every text a box can
// hold is taken. A file that is no star file is refused as a whole, texts left alone and the
// error saying why: fewer than sixteen fields, more than sixteen, binary bytes, or a value
// longer than a parameter box holds.
bool ParseStarFile(std::string_view bytes, StarTexts& texts, StarFileError& error);

}  // namespace vp
