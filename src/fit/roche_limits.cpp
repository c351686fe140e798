#include "fit/roche_limits.h"

#include <algorithm>
#include <cmath>

#include "flux/roche_geometry.h"

namespace vp::fit {
namespace {

// dOmega/dx on the line of centres, outside the stars.
double AxisSlope(double q, double x) {
    const double s1 = x > 0 ? 1 : -1, s2 = x > 1 ? 1 : -1;
    return -s1 / (x * x) - q * s2 / ((x - 1) * (x - 1)) - q + (1 + q) * x;
}

// The root of the axis slope between a and b, where it changes sign.
double AxisRoot(double q, double a, double b) {
    const bool risingAtA = AxisSlope(q, a) > 0;
    for (int pass = 0; pass < 200 && b - a > 1e-15; ++pass) {
        const double m = 0.5 * (a + b);
        ((AxisSlope(q, m) > 0) == risingAtA ? a : b) = m;
    }
    return 0.5 * (a + b);
}

// The pole radius whose pole potential is omega (the potentials fall as the radius grows).
double PoleRadiusAt(int star, double q, double omega) {
    double a = 1e-6, b = 0.999999;
    auto potential = [&](double r) {
        return star == 1 ? flux::PolePotential1(q, r) : flux::PolePotential2(q, r);
    };
    for (int pass = 0; pass < 200 && b - a > 1e-16; ++pass) {
        const double m = 0.5 * (a + b);
        (potential(m) > omega ? a : b) = m;
    }
    return 0.5 * (a + b);
}

}  // namespace

double OuterCriticalPotential(double q) {
    const double x2 = AxisRoot(q, 1 + 1e-9, 4);
    const double x3 = AxisRoot(q, -4, -1e-9);
    return std::max(flux::RochePotential(q, {x2, 0, 0}), flux::RochePotential(q, {x3, 0, 0}));
}

double LobePoleRadius(int star, double q) {
    return PoleRadiusAt(star, q, flux::FindInnerLagrangePoint(q).omega);
}

double OuterPoleRadius(int star, double q) {
    return PoleRadiusAt(star, q, OuterCriticalPotential(q));
}

}  // namespace vp::fit
