// The star parameter file: a header line and the eight parameter texts, comma-separated.
#pragma once

#include <array>
#include <string>
#include <string_view>

namespace vp {

// q, i, r1, r2, T1, T2, w1, w2 in this order.
using StarTexts = std::array<std::string, 8>;

// The whole file, CRLF line ends; the mass ratio loses its surrounding blanks.
std::string StarFileText(const StarTexts& texts);

struct StarFileError {
    int number = 0;  // the error numbers the program reports: 62, 13
    std::string description;
};

// Reads the file's fields (commas and line ends separate them; leading and trailing blanks
// are dropped; a field in double quotes loses its quotes), skips the eight header fields and
// returns the next eight. All sixteen must be there and the eight values must each be a
// number; otherwise texts is left alone and the error says why.
bool ParseStarFile(std::string_view bytes, StarTexts& texts, StarFileError& error);

}  // namespace vp
