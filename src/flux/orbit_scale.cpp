#include "flux/orbit_scale.h"

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>

#include "core/number_text.h"

namespace vp::flux {

PhysicalOrbit ResolveScale(const OrbitScale& scale, double q) {
    constexpr double kPi = std::numbers::pi;
    auto require = [](bool ok, const std::string& message) {
        if (!ok) throw std::invalid_argument(message);
    };
    require(std::isfinite(scale.period) && scale.period > 0,
            "the orbital period (days) must be a positive number");
    require(std::isfinite(scale.gamma), "the systemic velocity must be a number");
    PhysicalOrbit orbit;
    orbit.period = scale.period;
    orbit.gamma = scale.gamma;
    const double seconds = scale.period * kSecondsPerDay;
    if (scale.a != 0) {
        require(std::isfinite(scale.a) && scale.a > 0,
                "the separation a (solar radii) must be a positive number");
        orbit.a = scale.a;
        const double metres = scale.a * kSolarRadius;
        const double total =
            4 * kPi * kPi * metres * metres * metres / (kSolarMassParameter * seconds * seconds);
        orbit.m1 = total / (1 + q);
        orbit.m2 = total * q / (1 + q);
    } else {
        require(std::isfinite(scale.m1) && scale.m1 > 0 && std::isfinite(scale.m2) && scale.m2 > 0,
                "give the separation a (solar radii) or both masses (solar masses)");
        require(std::fabs(scale.m2 / scale.m1 - q) <= 1e-6 * q,
                "the masses' ratio m2/m1 = " + FormatNumber(scale.m2 / scale.m1) +
                    " differs from the mass ratio q = " + FormatNumber(q));
        orbit.m1 = scale.m1;
        orbit.m2 = scale.m2;
        const double gm = (scale.m1 + scale.m2) * kSolarMassParameter;
        orbit.a = std::cbrt(gm * seconds * seconds / (4 * kPi * kPi)) / kSolarRadius;
    }
    orbit.speed = 2 * kPi * orbit.a * kSolarRadius / seconds / 1000;
    return orbit;
}

}  // namespace vp::flux
