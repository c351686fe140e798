#include "fit/fit_parameters.h"

#include <algorithm>
#include <cmath>
#include <iterator>
#include <numbers>
#include <sstream>

#include "core/number_text.h"
#include "fit/roche_limits.h"
#include "flux/roche_geometry.h"

namespace vp::fit {
namespace {

// The names of the parameters of the system, in the order of Parameter::Kind up to the spots.
constexpr const char* kNames[] = {"q",  "incl", "r1",  "r2",   "t2",   "l3",  "t0",
                                  "period", "gd1", "gd2", "alb1", "alb2", "ecc", "omega"};
constexpr int kNamedCount = static_cast<int>(std::size(kNames));
// The names of a spot's parameters after "spotN.", in the order of the spot kinds.
constexpr const char* kSpotFields[] = {"lat", "lon", "radius", "tfactor"};
constexpr const char* kEveryName =
    "q, incl, r1, r2, t2, l3, t0, period, gd1, gd2, alb1, alb2, ecc, omega, and for the "
    "spot given by the Nth --spot spotN.lat, spotN.lon, spotN.radius, spotN.tfactor";
constexpr double kLowestQ = 0.01, kHighestQ = 100;
// A radius inside its lobe stays below this share of the lobe's pole radius; a contact
// envelope fills between these shares of the way from the lobe to the outer critical surface.
constexpr double kLeastInside = 0.03, kMostInside = 0.999;
constexpr double kLeastFillOut = 0.001, kMostFillOut = 0.98;
// A star that fills its lobe is given a radius just beyond it, so that every test of the
// program finds it filling.
constexpr double kFilling = 1 + 1e-9;
// The highest eccentricity a fit may reach.
constexpr double kMostEccentric = 0.9;
constexpr double kDegree = std::numbers::pi / 180;

bool IsRadius(Parameter p) {
    return p.kind == Parameter::R1 || p.kind == Parameter::R2;
}
int StarOf(Parameter p) {
    return p.kind == Parameter::R1 ? 1 : 2;
}
bool IsSpot(Parameter p) {
    return p.kind >= Parameter::SpotLatitude;
}

// "spot3.lon" as the third spot's longitude.
bool ParseSpotName(const std::string& name, Parameter& p) {
    const auto dot = name.find('.');
    if (name.rfind("spot", 0) != 0 || dot == std::string::npos || dot == 4 || dot > 8)
        return false;
    int number = 0;
    for (std::size_t k = 4; k < dot; ++k) {
        if (name[k] < '0' || name[k] > '9') return false;
        number = 10 * number + (name[k] - '0');
    }
    if (number < 1) return false;
    for (int f = 0; f < 4; ++f)
        if (name.compare(dot + 1, std::string::npos, kSpotFields[f]) == 0) {
            p = Parameter(static_cast<Parameter::Kind>(Parameter::SpotLatitude + f), number - 1);
            return true;
        }
    return false;
}

}  // namespace

std::string ParameterName(Parameter p) {
    if (IsSpot(p))
        return "spot" + std::to_string(p.spot + 1) + "." +
               kSpotFields[p.kind - Parameter::SpotLatitude];
    return kNames[p.kind];
}

bool IsAnyAngle(Parameter p) {
    return p.kind == Parameter::Omega || p.kind == Parameter::SpotLongitude;
}

bool ParseParameterList(const std::string& text, std::vector<Parameter>& list, std::string& error) {
    list.clear();
    std::istringstream in(text);
    std::string name;
    while (std::getline(in, name, ',')) {
        name.erase(0, name.find_first_not_of(" \t"));
        name.erase(name.find_last_not_of(" \t") + 1);
        if (name == "i") name = "incl";
        if (name == "P") name = "period";
        if (name == "e") name = "ecc";
        Parameter p;
        bool found = ParseSpotName(name, p);
        for (int k = 0; k < kNamedCount && !found; ++k)
            if (name == kNames[k]) {
                p = static_cast<Parameter::Kind>(k);
                found = true;
            }
        if (!found) {
            error = "'" + name + "' is not a parameter the fit can free (" + kEveryName + ")";
            return false;
        }
        if (std::find(list.begin(), list.end(), p) != list.end()) {
            error = "'" + name + "' is named twice";
            return false;
        }
        list.push_back(p);
    }
    if (list.empty()) {
        error = std::string("no parameter named (") + kEveryName + ")";
        return false;
    }
    return true;
}

const char* ConfigurationName(Configuration c) {
    switch (c) {
        case Configuration::Detached:
            return "detached";
        case Configuration::SemiDetached:
            return "semi-detached";
        case Configuration::Contact:
            return "contact";
        case Configuration::Spheres:
            return "spheres";
    }
    return "";
}

double FitValues::Get(Parameter p) const {
    if (IsSpot(p)) {
        if (p.spot < 0 || static_cast<std::size_t>(p.spot) >= system.spots.size()) return NAN;
        const flux::Spot& s = system.spots[static_cast<std::size_t>(p.spot)];
        switch (p.kind) {
            case Parameter::SpotLatitude:
                return s.latitude;
            case Parameter::SpotLongitude:
                return s.longitude;
            case Parameter::SpotRadius:
                return s.radius;
            default:
                return s.temperatureFactor;
        }
    }
    switch (p.kind) {
        case Parameter::Q:
            return system.q;
        case Parameter::Incl:
            return system.incl;
        case Parameter::R1:
            return system.r1;
        case Parameter::R2:
            return system.r2;
        case Parameter::T2:
            return system.t2;
        case Parameter::L3:
            return l3;
        case Parameter::T0:
            return t0;
        case Parameter::Period:
            return period;
        case Parameter::Gd1:
            return system.gd1;
        case Parameter::Gd2:
            return system.gd2;
        case Parameter::Alb1:
            return system.alb1;
        case Parameter::Alb2:
            return system.alb2;
        case Parameter::Ecc:
            return system.ecc;
        case Parameter::Omega:
            return system.omega;
        default:
            return NAN;
    }
}

void FitValues::Set(Parameter p, double value) {
    if (IsSpot(p)) {
        if (p.spot < 0 || static_cast<std::size_t>(p.spot) >= system.spots.size()) return;
        flux::Spot& s = system.spots[static_cast<std::size_t>(p.spot)];
        switch (p.kind) {
            case Parameter::SpotLatitude:
                s.latitude = value;
                break;
            case Parameter::SpotLongitude:
                s.longitude = value;
                break;
            case Parameter::SpotRadius:
                s.radius = value;
                break;
            default:
                s.temperatureFactor = value;
                break;
        }
        return;
    }
    double* slot[] = {&system.q,  &system.incl, &system.r1,   &system.r2,   &system.t2,
                      &l3,        &t0,          &period,      &system.gd1,  &system.gd2,
                      &system.alb1, &system.alb2, &system.ecc, &system.omega};
    *slot[p.kind] = value;
}

Configuration ConfigurationOf(const flux::BinaryParameters& s, int& filling) {
    filling = 2;
    if (!s.tidal) return Configuration::Spheres;
    const double critical = flux::FindInnerLagrangePoint(s.q).omega;
    const bool fills1 = flux::PolePotential1(s.q, s.r1) < critical;
    const bool fills2 = flux::PolePotential2(s.q, s.r2) < critical;
    if (fills1 && fills2) return Configuration::Contact;
    if (fills1 || fills2) {
        filling = fills1 ? 1 : 2;
        return Configuration::SemiDetached;
    }
    return Configuration::Detached;
}

double ParameterMap::Limit(int star, double q, bool outer) const {
    return outer ? OuterPoleRadius(star, q) : LobePoleRadius(star, q);
}

int ParameterMap::DerivedRadius() const {
    return settings_.configuration == Configuration::SemiDetached ? settings_.filling : 0;
}

// Whether the radii that are not fitted keep to the configuration at mass ratio q.
bool ParameterMap::FixedRadiiFit(double q) const {
    for (int star = 1; star <= 2; ++star) {
        const Parameter p = star == 1 ? Parameter::R1 : Parameter::R2;
        if (std::find(free_.begin(), free_.end(), p) != free_.end()) continue;
        if (DerivedRadius() == star) continue;
        const double r = star == 1 ? start_.system.r1 : start_.system.r2;
        switch (settings_.configuration) {
            case Configuration::Detached:
            case Configuration::SemiDetached:
                if (!(r < Limit(star, q, false))) return false;
                break;
            case Configuration::Contact:
                if (!(r > Limit(star, q, false) && r < Limit(star, q, true))) return false;
                break;
            case Configuration::Spheres:
                break;
        }
    }
    return true;
}

bool ParameterMap::Make(const FitValues& start, const MapSettings& settings, std::string& error,
                        std::vector<std::string>& notes) {
    start_ = start;
    start_.system.neck = -1;  // the envelope's neck as the configuration makes it
    settings_ = settings;
    free_ = settings.free;
    const Configuration config = settings.configuration;
    auto has = [&](Parameter p) { return std::find(free_.begin(), free_.end(), p) != free_.end(); };
    if (config == Configuration::SemiDetached) {
        const Parameter filled = settings.filling == 1 ? Parameter::R1 : Parameter::R2;
        if (has(filled)) {
            error = std::string("in a semi-detached system star ") +
                    (settings.filling == 1 ? "1" : "2") +
                    " fills its Roche lobe: " + ParameterName(filled) +
                    " follows q and cannot be fitted on its own";
            return false;
        }
    }
    if (config == Configuration::Spheres && has(Parameter::Q)) {
        error = "without tidal effects the stars are spheres and the light does not depend on q";
        return false;
    }
    if ((has(Parameter::T0) || has(Parameter::Period)) && !settings.times) {
        error =
            "t0 and period are fitted to times: give --period P --epoch T0 with observations "
            "that have times";
        return false;
    }
    for (Parameter p : free_)
        if (IsSpot(p) && static_cast<std::size_t>(p.spot) >= start_.system.spots.size()) {
            const std::size_t given = start_.system.spots.size();
            error = ParameterName(p) + " names spot " + std::to_string(p.spot + 1) + ", but " +
                    (given == 0 ? std::string("no spot is given")
                                : std::to_string(given) + (given == 1 ? " spot is" : " spots are") +
                                      " given") +
                    " (--spot STAR,LAT,LON,RADIUS,TFACTOR, one per spot)";
            return false;
        }
    const bool eccentric = has(Parameter::Ecc) || start_.system.ecc != 0;
    if (eccentric &&
        (config == Configuration::Contact || config == Configuration::SemiDetached)) {
        error = std::string("an eccentric orbit needs a detached system: this one is ") +
                ConfigurationName(config) + (has(Parameter::Ecc) ? ", so ecc cannot be freed" : "") +
                (start_.system.ecc != 0 ? ", so --ecc must be 0" : "");
        return false;
    }
    if (has(Parameter::Omega) && !has(Parameter::Ecc) && start_.system.ecc == 0) {
        error =
            "omega, the argument of periastron, means nothing on a circular orbit: free ecc "
            "with it, or give --ecc";
        return false;
    }
    eccAt_ = omegaAt_ = -1;
    for (std::size_t k = 0; k < free_.size(); ++k) {
        if (free_[k] == Parameter::Ecc) eccAt_ = static_cast<int>(k);
        if (free_[k] == Parameter::Omega) omegaAt_ = static_cast<int>(k);
    }
    const double q = start_.system.q;
    if (!(q >= kLowestQ && q <= kHighestQ)) {
        error = "the start's mass ratio " + FormatNumber(q) + " lies outside " +
                FormatNumber(kLowestQ) + " to " + FormatNumber(kHighestQ);
        return false;
    }
    if (!FixedRadiiFit(q)) {
        error = std::string("the radii that are not fitted do not make a ") +
                ConfigurationName(config) + " system at q = " + FormatNumber(q) +
                ": free them, or start from another system";
        return false;
    }
    // The mass ratios at which the fixed radii keep to the configuration: an interval about
    // the start, found by stepping out and halving the last step.
    qLow_ = q;
    qHigh_ = q;
    if (has(Parameter::Q)) {
        for (int side = 0; side < 2; ++side) {
            double inside = std::log(q);
            const double end = std::log(side == 0 ? kLowestQ : kHighestQ);
            const double stride = (end - inside) / 64;
            double outside = end;
            bool reachedEnd = true;
            for (int k = 1; k <= 64; ++k) {
                const double at = inside + stride;
                if (!FixedRadiiFit(std::exp(at))) {
                    outside = at;
                    reachedEnd = false;
                    break;
                }
                inside = at;
            }
            if (!reachedEnd)
                for (int pass = 0; pass < 50; ++pass) {
                    const double mid = 0.5 * (inside + outside);
                    (FixedRadiiFit(std::exp(mid)) ? inside : outside) = mid;
                }
            (side == 0 ? qLow_ : qHigh_) = std::exp(inside);
        }
    }

    lower_.clear();
    upper_.clear();
    step_.clear();
    startU_.clear();
    for (Parameter p : free_) {
        double lo = 0, hi = 0, step = 0;
        switch (p.kind) {
            case Parameter::Q:
                lo = std::log(qLow_);
                hi = std::log(qHigh_);
                step = 2e-3;
                break;
            case Parameter::Incl:
                lo = 0;
                hi = 90;
                step = 0.02;
                break;
            case Parameter::R1:
            case Parameter::R2:
                if (config == Configuration::Spheres) {
                    lo = 0.01, hi = 0.95;
                } else if (config == Configuration::Contact) {
                    lo = kLeastFillOut, hi = kMostFillOut;
                } else {
                    lo = kLeastInside, hi = kMostInside;
                }
                step = 1e-3;
                break;
            case Parameter::T2:
                lo = 1000;
                hi = 99999;
                step = std::max(1.0, 1e-3 * start_.system.t2);
                break;
            case Parameter::L3:
                lo = -0.2;
                hi = 0.95;
                step = 1e-3;
                break;
            case Parameter::T0:
                lo = -0.2;
                hi = 0.2;
                step = 1e-5;
                break;
            case Parameter::Period: {
                const double cycles = std::max(1.0, settings.cyclesSpanned);
                hi = std::clamp(0.2 / cycles, 1e-7, 0.01);
                lo = -hi;
                step = 1e-5 / cycles;
                break;
            }
            case Parameter::Gd1:
            case Parameter::Gd2:
                lo = 0;
                hi = 2;
                step = 0.01;
                break;
            case Parameter::Alb1:
            case Parameter::Alb2:
                // The engine's reflection takes albedos up to 1.
                lo = 0;
                hi = 1;
                step = 0.01;
                break;
            case Parameter::Ecc:
            case Parameter::Omega:
                if (EccentricityPair()) {
                    // e cos(omega), e sin(omega)
                    lo = -kMostEccentric;
                    hi = kMostEccentric;
                    step = 1e-3;
                } else if (p == Parameter::Ecc) {
                    lo = 0;
                    hi = kMostEccentric;
                    step = 1e-3;
                } else {
                    // Any angle: a turn either way from the start is never reached.
                    lo = start_.system.omega - 360;
                    hi = start_.system.omega + 360;
                    step = 0.1;
                }
                break;
            case Parameter::SpotLatitude:
                lo = -90;
                hi = 90;
                step = 0.2;
                break;
            case Parameter::SpotLongitude:
                lo = start_.Get(p) - 360;
                hi = start_.Get(p) + 360;
                step = 0.2;
                break;
            case Parameter::SpotRadius:
                lo = 1;
                hi = 90;
                step = 0.2;
                break;
            case Parameter::SpotFactor:
                lo = 0.3;
                hi = 2;
                step = 0.005;
                break;
        }
        lower_.push_back(lo);
        upper_.push_back(hi);
        step_.push_back(step);
    }
    startU_ = Coordinates(start_);
    FitValues moved;
    Values(startU_.data(), moved);
    for (Parameter p : free_) {
        const double was = start_.Get(p), now = moved.Get(p);
        if (std::fabs(now - was) > 1e-9 * std::max(1.0, std::fabs(was)))
            notes.push_back(std::string("the start's ") + ParameterName(p) + " = " +
                            FormatNumber(was) + " lies outside the " + ConfigurationName(config) +
                            " bounds; the fit starts from " + FormatNumber(now));
    }
    return true;
}

bool ParameterMap::ChangesStars(std::size_t k) const {
    const Parameter p = free_[k];
    return p != Parameter::L3 && p != Parameter::T0 && p != Parameter::Period;
}

bool ParameterMap::AtBound(const double* u, std::size_t k) const {
    if (EccentricityPair() && (free_[k] == Parameter::Ecc || free_[k] == Parameter::Omega)) {
        // Only the eccentricity's own limit bounds the pair.
        if (free_[k] == Parameter::Omega) return false;
        const auto e = static_cast<std::size_t>(eccAt_), w = static_cast<std::size_t>(omegaAt_);
        return std::hypot(u[e], u[w]) > kMostEccentric * (1 - 1e-6);
    }
    const double range = upper_[k] - lower_[k];
    return u[k] - lower_[k] < 1e-6 * range || upper_[k] - u[k] < 1e-6 * range;
}

std::vector<double> ParameterMap::Coordinates(const FitValues& v) const {
    std::vector<double> u;
    const double q = std::clamp(v.system.q, qLow_, qHigh_);
    for (std::size_t k = 0; k < free_.size(); ++k) {
        const Parameter p = free_[k];
        double x = 0;
        if (p == Parameter::Q) {
            x = std::log(q);
        } else if (IsRadius(p)) {
            const int star = StarOf(p);
            const double r = v.Get(p);
            if (settings_.configuration == Configuration::Spheres) {
                x = r;
            } else if (settings_.configuration == Configuration::Contact) {
                const double lobe = Limit(star, q, false);
                x = (r - lobe) / (Limit(star, q, true) - lobe);
            } else {
                x = r / Limit(star, q, false);
            }
        } else if (EccentricityPair() && p == Parameter::Ecc) {
            x = v.system.ecc * std::cos(v.system.omega * kDegree);
        } else if (EccentricityPair() && p == Parameter::Omega) {
            x = v.system.ecc * std::sin(v.system.omega * kDegree);
        } else if (p == Parameter::T0) {
            x = (v.t0 - start_.t0) / start_.period;
        } else if (p == Parameter::Period) {
            x = v.period / start_.period - 1;
        } else {
            x = v.Get(p);
        }
        u.push_back(std::clamp(std::isfinite(x) ? x : lower_[k], lower_[k], upper_[k]));
    }
    return u;
}

bool ParameterMap::Values(const double* u, FitValues& v) const {
    v = start_;
    for (std::size_t k = 0; k < free_.size(); ++k)
        if (!std::isfinite(u[k])) return false;
    for (std::size_t k = 0; k < free_.size(); ++k)
        if (free_[k] == Parameter::Q) v.system.q = std::exp(u[k]);
    const double q = v.system.q;
    for (std::size_t k = 0; k < free_.size(); ++k) {
        const Parameter p = free_[k];
        if (p == Parameter::Q) continue;
        if (IsRadius(p)) {
            const int star = StarOf(p);
            double r = u[k];
            if (settings_.configuration == Configuration::Contact) {
                const double lobe = Limit(star, q, false);
                r = lobe + u[k] * (Limit(star, q, true) - lobe);
            } else if (settings_.configuration != Configuration::Spheres) {
                r = u[k] * Limit(star, q, false);
            }
            v.Set(p, r);
        } else if (EccentricityPair() && (p == Parameter::Ecc || p == Parameter::Omega)) {
            if (p == Parameter::Omega) continue;
            const double x = u[eccAt_], y = u[omegaAt_];
            const double e = std::hypot(x, y);
            v.system.ecc = std::min(e, kMostEccentric);
            // omega on the branch nearest the start's; undefined at e = 0, where it keeps the
            // start's.
            if (e > 0)
                v.system.omega =
                    start_.system.omega +
                    std::remainder(std::atan2(y, x) / kDegree - start_.system.omega, 360.0);
        } else if (p == Parameter::T0) {
            v.t0 = start_.t0 + u[k] * start_.period;
        } else if (p == Parameter::Period) {
            v.period = start_.period * (1 + u[k]);
        } else {
            v.Set(p, u[k]);
        }
    }
    if (const int star = DerivedRadius())
        (star == 1 ? v.system.r1 : v.system.r2) = Limit(star, q, false) * kFilling;
    return q == start_.system.q || FixedRadiiFit(q);
}

}  // namespace vp::fit
