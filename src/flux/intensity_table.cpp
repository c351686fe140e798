#include "flux/intensity_table.h"

#include <algorithm>
#include <cmath>

namespace vp::flux {

IntensityTable::IntensityTable(const Band& band, double lowest, double highest) : band_(&band) {
    if (band.kind != Band::Kind::Filter || !(lowest > 0) || !(highest >= lowest) ||
        !std::isfinite(highest))
        return;
    // Two samples beyond each end: the cubic's stencil, with room for rounding.
    lnLow_ = std::log(lowest) - 2 * lnStep_;
    const int count = static_cast<int>(std::ceil((std::log(highest) - lnLow_) / lnStep_)) + 3;
    std::vector<double> values(std::max(count, 4));
    for (std::size_t k = 0; k < values.size(); ++k) {
        const double I = band.Intensity(std::exp(lnLow_ + k * lnStep_));
        // Too cold to shine in this band at all: no table (the band itself answers).
        if (!(I > 0)) return;
        values[k] = std::log(I);
    }
    lnIntensity_ = std::move(values);
}

double IntensityTable::operator()(double T) const {
    if (band_ == nullptr) return 0;
    const int n = static_cast<int>(lnIntensity_.size());
    if (n == 0 || !(T > 0)) return band_->Intensity(T);
    const double u = (std::log(T) - lnLow_) / lnStep_;
    if (!(u >= 1 && u <= n - 2)) return band_->Intensity(T);
    const int i = std::clamp(static_cast<int>(u), 1, n - 3);
    const double f = u - i;
    const double* y = lnIntensity_.data() + i - 1;
    // Lagrange cubic through samples i-1 .. i+2, at i + f.
    const double a = -f * (f - 1) * (f - 2) / 6, b = (f + 1) * (f - 1) * (f - 2) / 2,
                 c = -(f + 1) * f * (f - 2) / 2, d = (f + 1) * f * (f - 1) / 6;
    return std::exp(a * y[0] + b * y[1] + c * y[2] + d * y[3]);
}

}  // namespace vp::flux
