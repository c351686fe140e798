// A model light curve held against observations: only the vertical scale is fitted.
#pragma once

#include <string>
#include <vector>

namespace vp {

// The model at a phase, linearly between its samples and around the turn. phase and value
// hold one turn, 0 <= phase < 1, ascending; at least one sample.
double ModelAt(const std::vector<double>& phase, const std::vector<double>& value, double at);

struct ScaleFit {
    double scale = 0;  // magnitudes: zero-point added to the model; flux: factor on the model
    double rms = 0;
    std::vector<double> fitted;    // the scaled model at each observation
    std::vector<double> residual;  // observed - fitted
};

// Least squares: observed = model + scale (magnitudes) or observed = scale * model (flux).
// False when the flux model is zero at every observation.
bool FitScale(const std::vector<double>& model, const std::vector<double>& observed,
              bool magnitudes, ScaleFit& fit);

}  // namespace vp
