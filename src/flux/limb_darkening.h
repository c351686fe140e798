// Limb-darkening laws: the intensity at the cosine mu of the angle between the line of sight
// and the surface normal, relative to the intensity at the centre of the disc (mu = 1).
#pragma once

#include <array>
#include <string>

namespace vp::flux {

struct LimbDarkening {
    enum class Law { Linear, Quadratic, SquareRoot, Logarithmic, Power2 };
    Law law = Law::Linear;
    // linear: 1 - a (1 - mu); quadratic: 1 - a (1 - mu) - b (1 - mu)^2;
    // square-root: 1 - a (1 - mu) - b (1 - sqrt mu); logarithmic: 1 - a (1 - mu) - b mu ln mu;
    // power-2: 1 - a (1 - mu^b).
    double a = 0, b = 0;

    double operator()(double mu) const;
    // Linear and quadratic laws are polynomials in mu: I = c[0] + c[1] mu + c[2] mu^2.
    bool IsPolynomial() const { return law == Law::Linear || law == Law::Quadratic; }
    std::array<double, 3> Coefficients() const;
};

// The law's name as the tool writes it ("linear", "quadratic", "sqrt", "log", "power2"), and
// back; false for an unknown name.
std::string LawName(LimbDarkening::Law law);
bool ParseLaw(const std::string& name, LimbDarkening::Law& law);

}  // namespace vp::flux
