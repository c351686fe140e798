#include "flux/orbit.h"

#include <cmath>
#include <numbers>

namespace vp::flux {
namespace {

constexpr double kPi = std::numbers::pi;

// The angle brought into (-pi, pi].
double Wrapped(double a) {
    a = std::remainder(a, 2 * kPi);
    return a <= -kPi ? a + 2 * kPi : a;
}

// The mean anomaly of the conjunction with star 2 in front: star 1 furthest from the
// observer, nu + omega = 90 degrees.
double ConjunctionMeanAnomaly(double ecc, double omegaDegrees) {
    return MeanAnomalyOfTrue(kPi / 2 - omegaDegrees * kPi / 180, ecc);
}

}  // namespace

double EccentricAnomaly(double meanAnomaly, double ecc) {
    // Solved in (-pi, pi], where E - e sin E grows monotonically: Newton's method kept inside
    // a shrinking bracket.
    const double M = Wrapped(meanAnomaly);
    const double turns = meanAnomaly - M;
    if (ecc == 0) return meanAnomaly;
    double lo = -kPi, hi = kPi;
    double E = ecc < 0.8 ? M + ecc * std::sin(M) : (M >= 0 ? kPi : -kPi) * 0.9;
    for (int pass = 0; pass < 100; ++pass) {
        const double f = E - ecc * std::sin(E) - M;
        if (f > 0)
            hi = E;
        else
            lo = E;
        const double step = f / (1 - ecc * std::cos(E));
        double next = E - step;
        if (!(next > lo && next < hi)) next = 0.5 * (lo + hi);
        if (std::fabs(next - E) <= 1e-16 * (1 + std::fabs(E))) {
            E = next;
            break;
        }
        E = next;
    }
    return E + turns;
}

double MeanAnomalyOfTrue(double trueAnomaly, double ecc) {
    const double half = 0.5 * Wrapped(trueAnomaly);
    const double E =
        2 * std::atan2(std::sqrt(1 - ecc) * std::sin(half), std::sqrt(1 + ecc) * std::cos(half));
    return Wrapped(E - ecc * std::sin(E));
}

OrbitState OrbitAt(double phase, double ecc, double omegaDegrees) {
    OrbitState s;
    const double m0 = ConjunctionMeanAnomaly(ecc, omegaDegrees);
    const double turnPhase = phase - std::floor(phase);
    s.meanAnomaly = Wrapped(m0 + 2 * kPi * turnPhase);
    const double E = EccentricAnomaly(s.meanAnomaly, ecc);
    s.trueAnomaly = 2 * std::atan2(std::sqrt(1 + ecc) * std::sin(0.5 * E),
                                   std::sqrt(1 - ecc) * std::cos(0.5 * E));
    s.separation = 1 - ecc * std::cos(E);
    const double nu0 = kPi / 2 - omegaDegrees * kPi / 180;
    s.turn = Wrapped(s.trueAnomaly - nu0);
    return s;
}

double SecondaryConjunctionPhase(double ecc, double omegaDegrees) {
    const double m0 = ConjunctionMeanAnomaly(ecc, omegaDegrees);
    const double m1 = MeanAnomalyOfTrue(3 * kPi / 2 - omegaDegrees * kPi / 180, ecc);
    double phase = (m1 - m0) / (2 * kPi);
    return phase - std::floor(phase);
}

}  // namespace vp::flux
