// A band's intensity for many temperatures at once: Band::Intensity integrates the filter
// curve (thousands of exponentials a call); the table holds ln I against ln T on an even
// grid and interpolates it with cubics through four neighbouring samples, to about a
// millionth of the intensity between 1 000 K and 1 000 000 K.
#pragma once

#include <vector>

#include "flux/passband.h"

namespace vp::flux {

class IntensityTable {
  public:
    IntensityTable() = default;
    // Covers lowest .. highest (kelvin, 0 < lowest <= highest); outside the range, and for the
    // picture colours, the band is asked directly.
    IntensityTable(const Band& band, double lowest, double highest);
    double operator()(double T) const;

    // Samples per unit of ln T.
    static constexpr double kSamplesPerLn = 100;

  private:
    const Band* band_ = nullptr;
    double lnLow_ = 0;
    double lnStep_ = 1 / kSamplesPerLn;
    std::vector<double> lnIntensity_;  // empty: no table
};

}  // namespace vp::flux
