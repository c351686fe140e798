// The model a fit holds against the observations: the flux engine's light of the system at a
// fixed grid of phases, dense through the eclipses, with a periodic spline between; each
// band's light relative to its light at quadrature, with the third light added.
#pragma once

#include <string>
#include <vector>

#include "fit/periodic_spline.h"
#include "flux/binary_system.h"

namespace vp::fit {

// The half-width in phase of the stretch about each conjunction in which stars of pole radii
// r1 and r2, or up to a quarter larger, can eclipse one another (0.25: all phases).
double EclipseHalfWidth(double r1, double r2);

// Phases in [0, 1) for a curve whose eclipses last the half-width w about phases 0 and 0.5:
// close together there, wider apart between; 0.25 is always one of them.
std::vector<double> PhaseGrid(double w);

// Phases in [0, 1) as closely spaced everywhere as PhaseGrid(w) spaces them through its
// eclipses, for orbits whose eclipses may fall at any phase; 0.25 is one of them.
std::vector<double> UniformPhaseGrid(double w);

// The light of each band at the grid's phases relative to its light at phase 0.25.
struct ModelCurves {
    std::vector<PeriodicSpline> band;
};

// False with the engine's message when the parameters describe no system, or a band without
// light at quadrature.
bool ComputeModelCurves(const flux::BinaryParameters& system,
                        const std::vector<flux::BandSetup>& bands, const std::vector<double>& grid,
                        const flux::EngineOptions& options, ModelCurves& curves,
                        std::string& error);

// Third light as a share l3 of the system's light at quadrature: the relative light of the
// two stars becomes (1 - l3) times itself plus l3. This is the engine's own third light
// (BandSetup::l3) applied to the relative light, so that a new l3 needs no new curve from
// the engine, and l3 may fall a little below 0 (light taken away, as by an over-subtracted
// background).
inline double WithThirdLight(double relative, double l3) {
    return (1 - l3) * relative + l3;
}

}  // namespace vp::fit
