#include "headless/physics_options.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "headless/option_values.h"

namespace vp {
namespace {

std::vector<std::string> Fields(const std::string& text) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, ',')) parts.push_back(part);
    if (!text.empty() && text.back() == ',') parts.emplace_back();
    return parts;
}

bool ParseSpot(const std::string& text, flux::Spot& spot) {
    const auto f = Fields(text);
    long star = 0;
    double v[4];
    if (f.size() != 5 || !ParseWholeNumber(f[0], 1, 2, star)) return false;
    for (int k = 0; k < 4; ++k)
        if (!ParseRealNumber(f[k + 1], v[k])) return false;
    spot = {static_cast<int>(star), v[0], v[1], v[2], v[3]};
    return true;
}

// "F" for every band, or "BAND=F,BAND=F".
bool ParseThirdLight(const std::string& text, std::map<std::string, double>& l3) {
    l3.clear();
    for (const std::string& part : Fields(text)) {
        const auto eq = part.find('=');
        const std::string band = eq == std::string::npos ? "" : part.substr(0, eq);
        double v;
        if (!ParseRealNumber(eq == std::string::npos ? part : part.substr(eq + 1), v)) return false;
        if (l3.count(band)) return false;
        l3[band] = v;
    }
    return !l3.empty() && (!l3.count("") || l3.size() == 1);
}

}  // namespace

bool ParsePhysicsOption(const std::vector<std::string>& a, std::size_t& i, PhysicsRequest& r,
                        std::string& error) {
    const std::string& arg = a[i];
    struct Number {
        const char* name;
        double* target;
        std::optional<double>* optional;
    };
    const Number numbers[] = {
        {"--gd1", nullptr, &r.gd1},      {"--gd2", nullptr, &r.gd2},
        {"--alb1", nullptr, &r.alb1},    {"--alb2", nullptr, &r.alb2},
        {"--ecc", &r.ecc, nullptr},      {"--omega", &r.omega, nullptr},
        {"--a", &r.a, nullptr},          {"--m1", &r.m1, nullptr},
        {"--m2", &r.m2, nullptr},        {"--gamma", &r.gamma, nullptr},
    };
    const bool known = arg == "--spot" || arg == "--l3" ||
                       std::any_of(std::begin(numbers), std::end(numbers),
                                   [&](const Number& n) { return arg == n.name; });
    if (!known) return false;
    if (i + 1 >= a.size()) {
        error = "option " + arg + " needs a value";
        i = a.size();
        return true;
    }
    const std::string& text = a[i + 1];
    i += 2;
    if (arg == "--spot") {
        flux::Spot spot;
        if (!ParseSpot(text, spot))
            error = "--spot needs STAR,LATITUDE,LONGITUDE,RADIUS,TFACTOR (star 1 or 2, degrees, "
                    "a temperature factor), not '" + text + "'";
        else
            r.spots.push_back(spot);
        return true;
    }
    if (arg == "--l3") {
        if (!ParseThirdLight(text, r.l3))
            error = "--l3 needs a share of the light (0.1) or one per band (V=0.1,TESS=0.05), "
                    "not '" + text + "'";
        return true;
    }
    for (const Number& n : numbers) {
        if (arg != n.name) continue;
        double v;
        if (!ParseRealNumber(text, v)) {
            error = arg + " needs a number, not '" + text + "'";
        } else if (n.target) {
            *n.target = v;
        } else {
            *n.optional = v;
        }
    }
    return true;
}

std::string PhysicsOptionsHelp() {
    return "The physics of real binaries (flux engine; each off unless given):\n"
           "  --gd1 B, --gd2 B          gravity-darkening exponent beta, T ~ g^(beta/4) about\n"
           "                            the star's mean temperature (--t1, --t2); typically\n"
           "                            1.0 radiative, 0.32 convective envelopes\n"
           "  --alb1 A, --alb2 A        bolometric albedo of the reflection effect; typically\n"
           "                            1.0 radiative, 0.5 convective envelopes\n"
           "  --spot S,LAT,LON,R,F      a spot on star S (1 or 2): latitude, longitude (0 faces\n"
           "                            the companion), angular radius in degrees, temperature\n"
           "                            factor; repeatable\n"
           "  --l3 F or BAND=F,...      third light: its share of the total light at phase 0.25\n"
           "  --ecc E --omega W         an eccentric orbit (detached systems), the argument of\n"
           "                            periastron in degrees (default 90)\n"
           "  --period P --a A          the orbit's size: period in days, separation in solar\n"
           "    or --m1 M1 --m2 M2      radii or masses in solar masses (radial velocities,\n"
           "  --gamma V                 absolute dimensions); the systemic velocity, km/s\n";
}

bool ApplyPhysics(const PhysicsRequest& r, flux::BinaryParameters& p,
                  std::vector<flux::BandSetup>& bands, std::string& error) {
    if (r.gd1) p.gd1 = *r.gd1;
    if (r.gd2) p.gd2 = *r.gd2;
    if (r.alb1) p.alb1 = *r.alb1;
    if (r.alb2) p.alb2 = *r.alb2;
    p.spots = r.spots;
    p.ecc = r.ecc;
    p.omega = r.omega;
    for (const auto& [band, share] : r.l3) {
        bool found = band.empty();
        flux::Band named;
        std::string unknown;
        if (!band.empty() && !flux::FindBand(band, named, unknown)) {
            error = "--l3: " + unknown;
            return false;
        }
        for (auto& setup : bands) {
            if (band.empty() || named.name == setup.band.name) {
                setup.l3 = share;
                found = true;
            }
        }
        if (!found) {
            error = "--l3 names band " + band + ", which is not among the bands computed";
            return false;
        }
    }
    return true;
}

flux::OrbitScale RequestedScale(const PhysicsRequest& r, double period) {
    flux::OrbitScale scale;
    scale.period = period;
    scale.a = r.a;
    scale.m1 = r.m1;
    scale.m2 = r.m2;
    scale.gamma = r.gamma;
    return scale;
}

flux::AbsoluteDimensions AbsoluteDimensionsOf(flux::BinaryParameters parameters,
                                              PhysicsRequest request,
                                              const flux::OrbitScale& scale) {
    request.l3.clear();
    std::vector<flux::BandSetup> noBands;
    std::string error;
    if (!ApplyPhysics(request, parameters, noBands, error)) throw std::invalid_argument(error);
    return flux::ComputeAbsoluteDimensions(parameters, scale);
}

}  // namespace vp
