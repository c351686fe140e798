// Observations made with the engine, for the fit's tests and benchmarks: fluxes at random
// phases (or at random times over a number of periods) relative to the light at quadrature,
// times a scale, with Gaussian noise of a share of that light.
#pragma once

#include <cmath>
#include <random>
#include <vector>

#include "fit/fit_problem.h"
#include "flux/binary_system.h"

namespace vp::fit::testing {

struct SyntheticRequest {
    int count = 300;
    double sigma = 0.005;  // of the light at quadrature
    unsigned seed = 1;
    // Times: epoch + c period with c uniform over `cycles` periods; otherwise phases in [0, 1).
    bool times = false;
    double cycles = 1, period = 1, epoch = 0;
    double scale = 1;  // the flux at quadrature
};

inline Dataset SyntheticFluxes(const flux::LightCurveModel& model, const SyntheticRequest& r) {
    std::mt19937_64 random(r.seed);
    std::uniform_real_distribution<double> uniform(0, r.times ? r.cycles : 1);
    std::normal_distribution<double> normal(0, r.sigma);
    Dataset set;
    set.source = "made";
    set.bandName = "V";
    set.curve.times = r.times;
    set.curve.magnitudes = false;
    std::vector<double> phases = {0.25};
    for (int i = 0; i < r.count; ++i) {
        const double c = uniform(random);
        set.curve.x.push_back(r.times ? r.epoch + c * r.period : c);
        set.curve.phase.push_back(c - std::floor(c));
        set.curve.line.push_back(i + 1);
        phases.push_back(c);
    }
    const std::vector<double> light = model.Fluxes(phases)[0];
    for (int i = 0; i < r.count; ++i)
        set.curve.value.push_back(r.scale * (light[i + 1] / light[0] + normal(random)));
    set.sigma.assign(static_cast<std::size_t>(r.count), r.scale * r.sigma);
    return set;
}

}  // namespace vp::fit::testing
