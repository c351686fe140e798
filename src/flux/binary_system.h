// A binary as the flux engine sees it: the window's parameters in astronomers' names, the
// shapes they give (the Roche equipotential through each star's pole, spheres without tidal
// effects, the contact envelope with its neck, the lone rotating star) and the light of the
// system at any orbital phase, in any band.
#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "flux/flux_model.h"
#include "flux/limb_darkening.h"
#include "flux/orbit.h"
#include "flux/orbit_scale.h"
#include "flux/passband.h"
#include "flux/spots.h"

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

    // The physics of real binaries; each is off (zero, empty) unless set.
    // Gravity darkening, T_local proportional to g^(beta / 4) about the star's mean
    // temperature t1, t2 (see gravity_darkening.h): typically 1.0 for radiative envelopes,
    // 0.32 for convective ones.
    double gd1 = 0, gd2 = 0;
    // Bolometric albedos of the reflection effect (see reflection.h): typically 1.0 for
    // radiative envelopes, 0.5 for convective ones.
    double alb1 = 0, alb2 = 0;
    // The linear bolometric limb darkening of the light each star sends to its companion;
    // when not given, w1 and w2.
    std::optional<double> ldBol1, ldBol2;
    std::vector<Spot> spots;  // see spots.h
    // The orbit's eccentricity (detached systems only) and the argument of periastron of star
    // 1's orbit in degrees (see orbit.h). An eccentric orbit is taken for nearly spherical
    // stars: each keeps the Roche shape it has at the semi-major axis (r1, r2 are in its
    // units), turned towards its companion, and the two are set at the instantaneous
    // separation (1 - e^2) / (1 + e cos nu). Their surfaces (gravity darkening, the heating by
    // the companion, worked out once at the semi-major axis, and the spots) turn with the line
    // of centres; their rotation for the velocities is synchronous with the mean motion.
    double ecc = 0;
    double omega = 90;
};

// One band and the limb darkening of each star in it (the window's linear law with w1, w2
// when not given).
struct BandSetup {
    Band band;
    std::optional<LimbDarkening> ld1, ld2;
    // Third light: its share of the system's total light in this band at phase 0.25
    // (quadrature), 0 <= l3 < 1. Every flux of the band grows by the same amount, so that the
    // depths measured against the light at quadrature shrink by exactly (1 - l3).
    double l3 = 0;
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

// Throws std::invalid_argument with a user-facing message for parameters that describe no
// system (the checks the model's constructor makes before it shapes the stars).
void CheckBinaryParameters(const BinaryParameters& p);

// Radial velocities along the line of sight, km/s, positive receding, the systemic velocity
// included.
struct RadialVelocityCurves {
    // [phase]: the velocity of each star's centre of mass (the Keplerian orbit).
    std::vector<double> orbit1, orbit2;
    // [band][phase]: each star's flux-weighted velocity: the mean over its visible surface of
    // its orbit and its rotation, weighted by the light in the band. During an eclipse the
    // hidden part of the rotating disc is left out (the Rossiter-McLaughlin effect); NaN where
    // the star shows no light at all. For a contact envelope each star is its half.
    std::vector<std::vector<double>> star1, star2;
};

class LightCurveModel {
  public:
    // Throws std::invalid_argument with a message for parameters that describe no system.
    LightCurveModel(const BinaryParameters& parameters, std::vector<BandSetup> bands,
                    EngineOptions options = {});

    const SystemFacts& Facts() const { return facts_; }
    const std::vector<BandSetup>& Bands() const { return bands_; }

    // The unit vector towards the observer at an orbital phase (0: star 2 in front of star 1),
    // in the frame with star 1 at the origin and star 2 at (1, 0, 0) (at (D, 0, 0), D the
    // instantaneous separation, on an eccentric orbit), z along the orbital axis.
    Vec3 ViewDirection(double phase) const;

    // The flux in every band ([band][phase]) in units of the band's intensity times the
    // separation squared (the semi-major axis of an eccentric orbit); third light included.
    std::vector<std::vector<double>> Fluxes(std::span<const double> phases) const;

    // The radial velocities at the phases, in every band, for the orbit's physical size. The
    // stars rotate synchronously with the mean orbital motion (2 pi / P) about axes at right
    // angles to the orbit. Throws std::invalid_argument for a scale that is missing or
    // contradicts q, or for the lone star.
    RadialVelocityCurves RadialVelocities(std::span<const double> phases,
                                          const OrbitScale& scale) const;

  private:
    // Where the stars stand at a phase: the direction to the observer in the frame that
    // turns with the line of centres, and how far each lobe is moved from its mesh (star 2 at
    // the instantaneous separation of an eccentric orbit).
    struct Placement {
        Vec3 w;
        FluxModel::Shifts shift{};
        bool moved = false;
        OrbitState orbit;
    };
    Placement PlaceAt(double phase) const;
    // The phases' keys (folded where the system is mirror-symmetric) and the distinct ones.
    std::vector<double> DistinctPhases(std::span<const double> phases,
                                       std::vector<double>& key) const;
    // work(k, workspace) for k < count, shared among the threads.
    void ForEachPhase(std::size_t count,
                      const std::function<void(std::size_t, FluxModel::Workspace&)>& work) const;

    BinaryParameters p_;
    std::vector<BandSetup> bands_;
    EngineOptions options_;
    SystemFacts facts_;
    std::optional<FluxModel> model_;
    double sinIncl_ = 1, cosIncl_ = 0;
    bool mirrorSymmetric_ = true;
};

}  // namespace vp::flux
