// A light curve from the flux engine as the tool writes it: a CSV file with a header naming
// every column, readable by spreadsheets and pandas as it stands.
#pragma once

#include <string>
#include <vector>

namespace vp {

struct PreciseCurve {
    std::vector<double> x;  // the phases, or the times
    bool times = false;
    std::vector<std::string> bands;
    std::vector<double> wavelength;          // each band's mean wavelength, metres (for its colour)
    std::vector<std::vector<double>> value;  // [band][point]
    bool magnitudes = false;                 // magnitudes below each band's brightest point
    bool absolute = false;
};

// Normalises each band to its brightest point (unless absolute) or turns it into magnitudes
// below it; false with a message for a band without light.
bool ScaleCurve(PreciseCurve& curve, std::string& error);

// "phase,B1,B2,..." (or "time,...") and one row per point; numbers with 15 significant digits.
std::string PreciseCsv(const PreciseCurve& curve);

}  // namespace vp
