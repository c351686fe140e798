// A binary as the flux engine sees it: the window's parameters in astronomers' names, the
// shapes they give (the Roche equipotential through each star's pole, spheres without tidal
// effects, the contact envelope with its neck, the lone rotating star) and the light of the
// system at any orbital phase, in any band.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "flux/flux_model.h"
#include "flux/limb_darkening.h"
#include "flux/passband.h"

namespace vp::flux {

struct BinaryParameters {
    double q = 2.4;     // mass ratio M2 / M1
    double incl = 82;   // inclination, degrees (90: edge-on)
    double r1 = 0.305;  // pole radius of star 1, separation units
    double r2 = 0.45;   // pole radius of star 2
    double t1 = 8200;   // temperatures, kelvin
    double t2 = 8200;
    double w1 = 0.5;       // the window's linear limb-darkening coefficients: the law of every
    double w2 = 0.5;       // band that is not given its own
    bool tidal = true;     // "Tidal Effects": Roche shapes; off: spheres of the pole radii
    bool stefan = true;    // "Stefan-Boltzmann": surface brightness follows the temperature
    bool twoStars = true;  // "Star 2 Active"; off: star 1 alone, flattened by its rotation
    int neck = -1;         // "Contact Neck": -1 as the contact test decides, 0 off, 1 on
    double rotationPeriod = 0.3;  // days: the rotation of the lone star
};

// One band and the limb darkening of each star in it (the window's linear law with w1, w2
// when not given).
struct BandSetup {
    Band band;
    std::optional<LimbDarkening> ld1, ld2;
};

struct EngineOptions {
    int rings = 20;   // rings of mesh vertices from a star's front to its back pole
    int threads = 1;  // threads for a light curve; 0: one per processor core
};

// The model values of the system, as the window's lists show them.
struct SystemFacts {
    double l1 = 0;         // inner Lagrangian point, from star 1's centre
    double omegaCrit = 0;  // the potential there
    double omega1 = 0, omega2 = 0;
    bool star1Fills = false, star2Fills = false;
    bool contact = false;  // both stars overfill their lobes
    bool neck = false;     // the envelope is drawn with its neck
};

class LightCurveModel {
  public:
    // Throws std::invalid_argument with a message for parameters that describe no system.
    LightCurveModel(const BinaryParameters& parameters, std::vector<BandSetup> bands,
                    EngineOptions options = {});

    const SystemFacts& Facts() const { return facts_; }
    const std::vector<BandSetup>& Bands() const { return bands_; }

    // The unit vector towards the observer at an orbital phase (0: star 2 in front of star 1),
    // in the frame with star 1 at the origin and star 2 at (1, 0, 0).
    Vec3 ViewDirection(double phase) const;

    // The flux in every band ([band][phase]) in units of the band's intensity times the
    // separation squared.
    std::vector<std::vector<double>> Fluxes(std::span<const double> phases) const;

  private:
    BinaryParameters p_;
    std::vector<BandSetup> bands_;
    EngineOptions options_;
    SystemFacts facts_;
    std::optional<FluxModel> model_;
    double sinIncl_ = 1, cosIncl_ = 0;
};

}  // namespace vp::flux
