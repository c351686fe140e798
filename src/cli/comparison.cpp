#include "cli/comparison.h"

#include <algorithm>
#include <cmath>

namespace vp {

double ModelAt(const std::vector<double>& phase, const std::vector<double>& value, double at) {
    const std::size_t n = phase.size();
    if (n == 1) return value[0];
    const std::size_t upper =
        static_cast<std::size_t>(std::upper_bound(phase.begin(), phase.end(), at) - phase.begin());
    // The neighbours, with the last sample one turn early or the first one turn late.
    const std::size_t a = upper == 0 ? n - 1 : upper - 1;
    const std::size_t b = upper == n ? 0 : upper;
    const double pa = upper == 0 ? phase[a] - 1 : phase[a];
    const double pb = upper == n ? phase[b] + 1 : phase[b];
    if (!(pb > pa)) return value[a];
    const double t = (at - pa) / (pb - pa);
    return value[a] + t * (value[b] - value[a]);
}

bool FitScale(const std::vector<double>& model, const std::vector<double>& observed,
              bool magnitudes, ScaleFit& fit) {
    const std::size_t n = std::min(model.size(), observed.size());
    fit = ScaleFit();
    if (n == 0) return false;
    double top = 0, bottom = 0;
    for (std::size_t i = 0; i < n; ++i) {
        top += magnitudes ? observed[i] - model[i] : observed[i] * model[i];
        bottom += magnitudes ? 1 : model[i] * model[i];
    }
    if (!(bottom > 0)) return false;
    fit.scale = top / bottom;
    double squares = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double f = magnitudes ? model[i] + fit.scale : fit.scale * model[i];
        fit.fitted.push_back(f);
        fit.residual.push_back(observed[i] - f);
        squares += fit.residual.back() * fit.residual.back();
    }
    fit.rms = std::sqrt(squares / static_cast<double>(n));
    return true;
}

}  // namespace vp
