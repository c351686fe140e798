#include "flux/passband.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>
#include <sstream>

#include "core/number_text.h"
#include "core/temperature_colour.h"
#include "flux/passband_text.h"

namespace vp::flux {
namespace {

struct Alias {
    const char* name;
    const char* stem;
    const char* description;
};

constexpr Alias kAliases[] = {
    {"U", "johnson_U", "Johnson U (Bessell 1990)"},
    {"B", "johnson_B", "Johnson B (Bessell 1990)"},
    {"V", "johnson_V", "Johnson V (Bessell 1990)"},
    {"R", "cousins_R", "Cousins R (Bessell 1990)"},
    {"I", "cousins_I", "Cousins I (Bessell 1990)"},
    {"u", "sdss_u", "SDSS u (Doi et al. 2010)"},
    {"g", "sdss_g", "SDSS g (Doi et al. 2010)"},
    {"r", "sdss_r", "SDSS r (Doi et al. 2010)"},
    {"i", "sdss_i", "SDSS i (Doi et al. 2010)"},
    {"z", "sdss_z", "SDSS z (Doi et al. 2010)"},
    {"G", "gaia_G", "Gaia (E)DR3 G"},
    {"BP", "gaia_BP", "Gaia (E)DR3 BP"},
    {"RP", "gaia_RP", "Gaia (E)DR3 RP"},
    {"TESS", "tess", "TESS instrument response v2.0"},
    {"Kepler", "kepler", "Kepler instrument response v1.0"},
};

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool LoadCurve(std::string_view stem, Band& band) {
    for (const PassbandText& text : PassbandTexts()) {
        if (text.stem != stem) continue;
        std::istringstream in{std::string(text.csv)};
        std::string line;
        std::getline(in, line);  // header
        while (std::getline(in, line)) {
            const auto comma = line.find(',');
            if (comma == std::string::npos) continue;
            band.wavelength.push_back(Val(line.substr(0, comma)) * 1e-9);
            band.response.push_back(Val(line.substr(comma + 1)));
        }
        return band.wavelength.size() >= 2;
    }
    return false;
}

// Photon radiance of a black body per unit wavelength: 2 c / lambda^4 / (exp(hc/(lambda k T)) - 1).
double PhotonRadiance(double lambda, double T) {
    constexpr double h = 6.62607015e-34, c = 2.99792458e8, k = 1.380649e-23;
    const double x = h * c / (lambda * k * T);
    if (x > 700) return 0;
    return 2 * c / (lambda * lambda * lambda * lambda) / std::expm1(x);
}

}  // namespace

double Band::Intensity(double T) const {
    if (kind == Kind::Bolometric) {
        constexpr double kStefanBoltzmann = 5.670374419e-8;
        return T > 0 ? kStefanBoltzmann * T * T * T * T / std::numbers::pi : 0;
    }
    if (kind != Kind::Filter) {
        double r = 0, g = 0, b = 0;
        TemperatureColour(T, r, g, b);
        return kind == Kind::PictureRed ? r : kind == Kind::PictureGreen ? g : b;
    }
    if (!(T > 0)) return 0;
    // The response is linear between its samples; four Gauss points per interval.
    static constexpr double kNode[4] = {-0.861136311594053, -0.339981043584856, 0.339981043584856,
                                        0.861136311594053};
    static constexpr double kWeight[4] = {0.347854845137454, 0.652145154862546, 0.652145154862546,
                                          0.347854845137454};
    double weighted = 0, plain = 0;
    for (std::size_t i = 0; i + 1 < wavelength.size(); ++i) {
        const double a = wavelength[i], b = wavelength[i + 1];
        const double sa = response[i], sb = response[i + 1];
        if (sa == 0 && sb == 0) continue;
        const double half = 0.5 * (b - a), mid = 0.5 * (a + b);
        for (int k = 0; k < 4; ++k) {
            const double l = mid + half * kNode[k];
            const double s = sa + (sb - sa) * (l - a) / (b - a);
            weighted += kWeight[k] * half * s * PhotonRadiance(l, T);
        }
        plain += half * (sa + sb);
    }
    return plain > 0 ? weighted / plain : 0;
}

double Band::MeanWavelength() const {
    switch (kind) {
        case Kind::PictureRed:
            return 650e-9;
        case Kind::PictureGreen:
            return 540e-9;
        case Kind::PictureBlue:
            return 450e-9;
        case Kind::Bolometric:
            return 0;  // no wavelength of its own
        case Kind::Filter:
            break;
    }
    double weighted = 0, plain = 0;
    for (std::size_t i = 0; i + 1 < wavelength.size(); ++i) {
        const double step = wavelength[i + 1] - wavelength[i];
        const double s = 0.5 * (response[i] + response[i + 1]);
        weighted += s * step * 0.5 * (wavelength[i] + wavelength[i + 1]);
        plain += s * step;
    }
    return plain > 0 ? weighted / plain : 0;
}

bool FindBand(const std::string& name, Band& band, std::string& error) {
    band = Band{};
    const std::string lower = Lower(name);
    if (lower == "bolometric") {
        band.name = "bolometric";
        band.kind = Band::Kind::Bolometric;
        band.description = "all the light (sigma T^4)";
        return true;
    }
    if (lower == "red" || lower == "green" || lower == "blue") {
        band.name = lower;
        band.kind = lower == "red"     ? Band::Kind::PictureRed
                    : lower == "green" ? Band::Kind::PictureGreen
                                       : Band::Kind::PictureBlue;
        band.description = "the window's " + lower + " picture colour";
        return true;
    }
    for (const Alias& a : kAliases) {
        // Band letters are case-sensitive (V is Johnson, v is nothing; r is SDSS, R Cousins);
        // longer names and file names are not.
        const bool letter = std::string(a.name).size() <= 2;
        const bool match = letter ? name == a.name : lower == Lower(a.name);
        if (match || lower == Lower(a.stem)) {
            band.name = a.name;
            band.description = a.description;
            if (!LoadCurve(a.stem, band)) break;
            return true;
        }
    }
    std::string known;
    for (const std::string& n : BandNames()) known += (known.empty() ? "" : ", ") + n;
    error = "unknown band '" + name + "' (known: " + known + ")";
    return false;
}

std::vector<std::string> BandNames() {
    std::vector<std::string> names;
    for (const Alias& a : kAliases) names.push_back(a.name);
    names.insert(names.end(), {"bolometric", "red", "green", "blue"});
    return names;
}

}  // namespace vp::flux
