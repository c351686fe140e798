// The filter curves shipped in share/passbands, compiled into the program as text.
#pragma once

#include <string_view>
#include <vector>

namespace vp::flux {

struct PassbandText {
    std::string_view stem;  // the file's name without ".csv"
    std::string_view csv;   // "wavelength_nm,transmission" and one row per sample
};

const std::vector<PassbandText>& PassbandTexts();

}  // namespace vp::flux
