#include "fit/fit_parameters.h"

#include <algorithm>
#include <cmath>
#include <sstream>

#include "core/number_text.h"
#include "fit/roche_limits.h"
#include "flux/roche_geometry.h"

namespace vp::fit {
namespace {

constexpr const char* kNames[kParameterCount] = {"q",  "incl", "r1", "r2",
                                                 "t2", "l3",   "t0", "period"};
constexpr double kLowestQ = 0.01, kHighestQ = 100;
// A radius inside its lobe stays below this share of the lobe's pole radius; a contact
// envelope fills between these shares of the way from the lobe to the outer critical surface.
constexpr double kLeastInside = 0.03, kMostInside = 0.999;
constexpr double kLeastFillOut = 0.001, kMostFillOut = 0.98;
// A star that fills its lobe is given a radius just beyond it, so that every test of the
// program finds it filling.
constexpr double kFilling = 1 + 1e-9;

bool IsRadius(Parameter p) {
    return p == Parameter::R1 || p == Parameter::R2;
}
int StarOf(Parameter p) {
    return p == Parameter::R1 ? 1 : 2;
}

}  // namespace

const char* ParameterName(Parameter p) {
    return kNames[static_cast<int>(p)];
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
        int found = -1;
        for (int k = 0; k < kParameterCount; ++k)
            if (name == kNames[k]) found = k;
        if (found < 0) {
            error = "'" + name +
                    "' is not a parameter the fit can free (q, incl, r1, r2, t2, l3, "
                    "t0, period)";
            return false;
        }
        const auto p = static_cast<Parameter>(found);
        if (std::find(list.begin(), list.end(), p) != list.end()) {
            error = "'" + name + "' is named twice";
            return false;
        }
        list.push_back(p);
    }
    if (list.empty()) {
        error = "no parameter named (q, incl, r1, r2, t2, l3, t0, period)";
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
    switch (p) {
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
    }
    return 0;
}

void FitValues::Set(Parameter p, double value) {
    switch (p) {
        case Parameter::Q:
            system.q = value;
            break;
        case Parameter::Incl:
            system.incl = value;
            break;
        case Parameter::R1:
            system.r1 = value;
            break;
        case Parameter::R2:
            system.r2 = value;
            break;
        case Parameter::T2:
            system.t2 = value;
            break;
        case Parameter::L3:
            l3 = value;
            break;
        case Parameter::T0:
            t0 = value;
            break;
        case Parameter::Period:
            period = value;
            break;
    }
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
        switch (p) {
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
