// The parameters a fit may free, the configurations that bound them, and the map between the
// astronomers' values and the coordinates the optimiser moves in. The coordinates keep every
// point inside its configuration: a radius is a fraction of the way to its limit (its Roche
// lobe, or for a contact envelope the outer critical surface), so moving the mass ratio moves
// the limits with it; the mass ratio itself moves as its logarithm.
#pragma once

#include <string>
#include <vector>

#include "flux/binary_system.h"

namespace vp::fit {

// A parameter a fit may free. The spot's parameters name their spot by its place among the
// system's spots (0: the first).
struct Parameter {
    enum Kind {
        Q, Incl, R1, R2, T2, L3, T0, Period,
        Gd1, Gd2, Alb1, Alb2, Ecc, Omega,
        SpotLatitude, SpotLongitude, SpotRadius, SpotFactor
    };
    Kind kind = Q;
    int spot = 0;

    constexpr Parameter(Kind k = Q, int s = 0) : kind(k), spot(s) {}
    friend constexpr bool operator==(const Parameter&, const Parameter&) = default;
};

// "q", "incl", "r1", "r2", "t2", "l3", "t0", "period", "gd1", "gd2", "alb1", "alb2", "ecc",
// "omega", and "spot1.lat", "spot1.lon", "spot1.radius", "spot1.tfactor" for the first spot.
std::string ParameterName(Parameter p);
// Whether the parameter is an angle that may take any value (two values 360 degrees apart
// are the same system).
bool IsAnyAngle(Parameter p);
// A comma-separated list of those names; false with a message for an unknown or repeated one.
// Whether a named spot exists is for ParameterMap::Make to say.
bool ParseParameterList(const std::string& text, std::vector<Parameter>& list, std::string& error);

// Detached: both stars inside their Roche lobes. Semi-detached: one star fills its lobe (its
// radius follows the mass ratio), the other inside its own. Contact: both overfill their
// lobes and stay inside the outer critical surface. Spheres: the stars without tidal shapes.
enum class Configuration { Detached, SemiDetached, Contact, Spheres };
const char* ConfigurationName(Configuration c);  // "detached", "semi-detached", "contact", ...

// A point of the fit: the system, its third light and its ephemeris.
struct FitValues {
    flux::BinaryParameters system;
    // The third light's share of the system's light at quadrature (phase 0.25); negative
    // values stand for light taken away, as by an over-subtracted background.
    double l3 = 0;
    double t0 = 0;      // time of the primary minimum (phase 0), in the times' unit
    double period = 1;  // in the times' unit

    double Get(Parameter p) const;
    void Set(Parameter p, double value);
};

// The configuration the start system is in (the semi-detached star that fills its lobe in
// filling, 1 or 2).
Configuration ConfigurationOf(const flux::BinaryParameters& system, int& filling);

struct MapSettings {
    std::vector<Parameter> free;
    Configuration configuration = Configuration::Detached;
    int filling = 2;           // semi-detached: the star that fills its lobe
    bool times = false;        // the observations carry times (t0 and period can be fitted)
    double cyclesSpanned = 1;  // the observations' span in periods
};

class ParameterMap {
  public:
    // False with a message when the free parameters or the fixed values do not fit the
    // configuration. Notes say where the start had to be moved inside it.
    bool Make(const FitValues& start, const MapSettings& settings, std::string& error,
              std::vector<std::string>& notes);

    std::size_t Size() const { return free_.size(); }
    Parameter Free(std::size_t k) const { return free_[k]; }
    const std::vector<Parameter>& FreeList() const { return free_; }
    const FitValues& Start() const { return start_; }
    Configuration Config() const { return settings_.configuration; }
    int Filling() const { return settings_.filling; }

    // The coordinates of the start (inside the bounds).
    std::vector<double> StartCoordinates() const { return startU_; }
    double Lower(std::size_t k) const { return lower_[k]; }
    double Upper(std::size_t k) const { return upper_[k]; }
    // A step for finite differences in coordinate k.
    double Step(std::size_t k) const { return step_[k]; }
    // Whether the free parameter k stands at a bound of its range at the coordinates u.
    bool AtBound(const double* u, std::size_t k) const;
    // Eccentricity and omega both free: the coordinates at their places are e cos(omega) and
    // e sin(omega), which stay well defined as e goes to 0, where omega loses its meaning.
    bool EccentricityPair() const { return eccAt_ >= 0 && omegaAt_ >= 0; }
    // Whether coordinate k changes the stars (and so needs the engine anew).
    bool ChangesStars(std::size_t k) const;

    // The values at the coordinates u (Size() of them); false when they leave the
    // configuration (a fixed radius beyond its limit).
    bool Values(const double* u, FitValues& values) const;
    // The coordinates of values, moved inside the bounds.
    std::vector<double> Coordinates(const FitValues& values) const;

    // The radius that follows the mass ratio (the semi-detached star filling its lobe), when
    // one does: 1 or 2, else 0.
    int DerivedRadius() const;

  private:
    double Limit(int star, double q, bool outer) const;
    bool FixedRadiiFit(double q) const;

    FitValues start_;
    MapSettings settings_;
    std::vector<Parameter> free_;
    std::vector<double> lower_, upper_, step_, startU_;
    double qLow_ = 0.01, qHigh_ = 100;
    int eccAt_ = -1, omegaAt_ = -1;  // the places of ecc and omega among the free, or -1
};

}  // namespace vp::fit
