#include "flux/limb_darkening.h"

#include <cmath>

namespace vp::flux {

double LimbDarkening::operator()(double mu) const {
    switch (law) {
        case Law::Linear:
            return 1 - a * (1 - mu);
        case Law::Quadratic:
            return 1 - a * (1 - mu) - b * (1 - mu) * (1 - mu);
        case Law::SquareRoot:
            return 1 - a * (1 - mu) - b * (1 - std::sqrt(mu));
        case Law::Logarithmic:
            return 1 - a * (1 - mu) - (mu > 0 ? b * mu * std::log(mu) : 0.0);
        case Law::Power2:
            return 1 - a * (1 - std::pow(mu, b));
    }
    return 1;
}

std::array<double, 3> LimbDarkening::Coefficients() const {
    if (law == Law::Quadratic) return {1 - a - b, a + 2 * b, -b};
    return {1 - a, a, 0};
}

std::string LawName(LimbDarkening::Law law) {
    switch (law) {
        case LimbDarkening::Law::Linear:
            return "linear";
        case LimbDarkening::Law::Quadratic:
            return "quadratic";
        case LimbDarkening::Law::SquareRoot:
            return "sqrt";
        case LimbDarkening::Law::Logarithmic:
            return "log";
        case LimbDarkening::Law::Power2:
            return "power2";
    }
    return "linear";
}

bool ParseLaw(const std::string& name, LimbDarkening::Law& law) {
    using L = LimbDarkening::Law;
    for (L l : {L::Linear, L::Quadratic, L::SquareRoot, L::Logarithmic, L::Power2}) {
        if (name == LawName(l)) {
            law = l;
            return true;
        }
    }
    if (name == "square-root")
        law = L::SquareRoot;
    else if (name == "logarithmic")
        law = L::Logarithmic;
    else if (name == "power-2")
        law = L::Power2;
    else
        return false;
    return true;
}

}  // namespace vp::flux
