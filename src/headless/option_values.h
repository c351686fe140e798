// Strict readers for the values of the commands' own options: the whole text must be the
// number, unlike the window's boxes, which read the leading number of whatever is typed.
#pragma once

#include <string>

namespace vp {

bool ParseWholeNumber(const std::string& text, long low, long high, long& value);
bool ParseRealNumber(const std::string& text, double& value);  // finite values only

// Whether the whole text, blanks aside, is one number as the window's boxes read it (sign,
// digits with at most one point, optional exponent). A box reads any other text by its
// leading number, or as 0.
bool ReadsAsNumber(const std::string& text);

// Whether a file name ends in the extension, ignoring case (extension with its dot).
bool HasExtension(const std::string& path, const std::string& extension);

}  // namespace vp
