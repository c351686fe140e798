// Exact light curves of two spheres with linear limb darkening, for the engine's tests: the
// light of the back disc hidden by the front one, integrated over annuli of the back disc.
#pragma once

#include <algorithm>
#include <cmath>
#include <numbers>

namespace vp::flux::testing {

// Light of a disc of radius R with I(mu) = 1 - u (1 - mu).
inline double DiscLight(double R, double u) {
    return std::numbers::pi * R * R * (1 - u / 3);
}

// Light of the back disc (radius Rb, coefficient u) hidden by a front disc of radius Rf whose
// centre lies d away on the sky.
inline double HiddenLight(double Rb, double u, double Rf, double d) {
    if (d >= Rb + Rf) return 0;
    // The arc of the annulus of radius r inside the front disc.
    auto arc = [&](double r) {
        if (r <= 0) return 0.0;
        if (d + r <= Rf) return 2 * std::numbers::pi * r;
        if (r + Rf <= d || d + Rf <= r) return 0.0;
        const double c = std::clamp((r * r + d * d - Rf * Rf) / (2 * r * d), -1.0, 1.0);
        return 2 * r * std::acos(c);
    };
    // r = Rb sin t makes the limb's square root smooth; the breaks where the arc changes form
    // are integrated across separately.
    double breaks[4] = {0, std::fabs(d - Rf), d + Rf, Rb};
    std::sort(breaks, breaks + 4);
    static constexpr double kNode[8] = {-0.960289856497536, -0.796666477413627, -0.525532409916329,
                                        -0.183434642495650, 0.183434642495650,  0.525532409916329,
                                        0.796666477413627,  0.960289856497536};
    static constexpr double kWeight[8] = {0.101228536290376, 0.222381034453374, 0.313706645877887,
                                          0.362683783378362, 0.362683783378362, 0.313706645877887,
                                          0.222381034453374, 0.101228536290376};
    double sum = 0;
    for (int k = 0; k < 3; ++k) {
        const double a = std::asin(std::min(breaks[k], Rb) / Rb);
        const double b = std::asin(std::min(breaks[k + 1], Rb) / Rb);
        const int pieces = 64;
        for (int p = 0; p < pieces; ++p) {
            const double lo = a + (b - a) * p / pieces, hi = a + (b - a) * (p + 1) / pieces;
            for (int q = 0; q < 8; ++q) {
                const double t = 0.5 * (lo + hi) + 0.5 * (hi - lo) * kNode[q];
                const double r = Rb * std::sin(t);
                const double mu = std::cos(t);
                sum += 0.5 * (hi - lo) * kWeight[q] * (1 - u * (1 - mu)) * arc(r) * Rb * mu;
            }
        }
    }
    return sum;
}

// The normalised light curve of spheres r1 (star 1) and r2 on a circular orbit of separation
// 1 at inclination incl (degrees), equal central intensities.
inline double SphereCurve(double phase, double r1, double r2, double u1, double u2, double incl) {
    const double a = 2 * std::numbers::pi * phase, i = incl * std::numbers::pi / 180;
    const double d = std::sqrt(std::sin(a) * std::sin(a) + std::pow(std::cos(a) * std::cos(i), 2));
    const double whole = DiscLight(r1, u1) + DiscLight(r2, u2);
    // Phase 0: star 2 in front of star 1.
    const bool twoInFront = std::cos(a) > 0;
    const double hidden = twoInFront ? HiddenLight(r1, u1, r2, d) : HiddenLight(r2, u2, r1, d);
    return (whole - hidden) / whole;
}

}  // namespace vp::flux::testing
