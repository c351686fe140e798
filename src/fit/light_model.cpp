#include "fit/light_model.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace vp::fit {

double EclipseHalfWidth(double r1, double r2) {
    // The stars' outlines reach a little beyond their pole radii (up to about 15 % towards
    // the inner Lagrangian point); the fit may make them larger still.
    const double reach = 1.15 * 1.25 * (r1 + r2);
    if (!(reach < 1)) return 0.25;
    return std::asin(reach) / (2 * std::numbers::pi);
}

namespace {

// Through an eclipse of half-width w about 120 phases, at most 1/2880 and at least 1/720 of a
// turn apart (the engine's own light is no smoother than that).
double FineStep(double w) {
    return std::clamp(std::clamp(w, 0.0, 0.25) / 120, 1.0 / 2880, 1.0 / 720);
}

}  // namespace

std::vector<double> UniformPhaseGrid(double w) {
    // A whole number of steps per quarter, so that 0.25 is a sample.
    const int perQuarter = static_cast<int>(std::ceil(0.25 / FineStep(w)));
    std::vector<double> grid;
    for (int k = 0; k < 4 * perQuarter; ++k) grid.push_back(k / (4.0 * perQuarter));
    grid[static_cast<std::size_t>(perQuarter)] = 0.25;
    return grid;
}

std::vector<double> PhaseGrid(double w) {
    w = std::clamp(w, 0.0, 0.25);
    // 1/200 of a turn apart between the eclipses.
    const double fine = FineStep(w);
    const double coarse = std::max(fine, 1.0 / 200);
    std::vector<double> half;
    for (double t = 0; t < 0.5;) {
        half.push_back(t);
        const bool eclipse = t < w + coarse || t > 0.5 - w - coarse;
        t += eclipse ? fine : coarse;
    }
    // Quadrature, where each band's light is taken as its reference, is a sample itself.
    std::vector<double> kept;
    for (double t : half)
        if (std::fabs(t - 0.25) > fine / 2) kept.push_back(t);
    kept.insert(std::upper_bound(kept.begin(), kept.end(), 0.25), 0.25);
    if (0.5 - kept.back() > fine / 10)
        kept.push_back(0.5);
    else
        kept.back() = 0.5;
    // The second half mirrors the first.
    std::vector<double> grid = kept;
    for (std::size_t k = kept.size() - 1; k-- > 1;) grid.push_back(1 - kept[k]);
    return grid;
}

bool ComputeModelCurves(const flux::BinaryParameters& system,
                        const std::vector<flux::BandSetup>& bands, const std::vector<double>& grid,
                        const flux::EngineOptions& options, ModelCurves& curves,
                        std::string& error) {
    std::vector<std::vector<double>> light;
    try {
        const flux::LightCurveModel model(system, bands, options);
        light = model.Fluxes(grid);
    } catch (const std::exception& e) {
        error = e.what();
        return false;
    }
    const std::size_t quadrature =
        static_cast<std::size_t>(std::find(grid.begin(), grid.end(), 0.25) - grid.begin());
    curves.band.clear();
    for (std::size_t b = 0; b < light.size(); ++b) {
        const double reference = quadrature < grid.size() ? light[b][quadrature] : 0;
        if (!(reference > 0) || !std::isfinite(reference)) {
            error = "the system gives no light in band " + bands[b].band.name + " at quadrature";
            return false;
        }
        for (double& f : light[b]) {
            f /= reference;
            if (!std::isfinite(f)) {
                error = "the engine's light is not a number in band " + bands[b].band.name;
                return false;
            }
        }
        curves.band.emplace_back(grid, std::move(light[b]));
    }
    return true;
}

}  // namespace vp::fit
