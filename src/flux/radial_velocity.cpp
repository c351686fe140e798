// The radial velocities of the stars: each star's centre of mass on its Keplerian orbit, and
// the light-weighted mean over its visible surface of the orbit and the rotation.
#include <cmath>
#include <limits>
#include <numbers>
#include <stdexcept>

#include "flux/binary_system.h"

namespace vp::flux {

RadialVelocityCurves LightCurveModel::RadialVelocities(std::span<const double> phases,
                                                       const OrbitScale& scale) const {
    if (!p_.twoStars) throw std::invalid_argument("radial velocities need two stars");
    const PhysicalOrbit orbit = ResolveScale(scale, p_.q);
    for (double ph : phases)
        if (!std::isfinite(ph)) throw std::invalid_argument("a phase is not a finite number");
    const std::size_t nb = bands_.size(), n = phases.size();
    const double q = p_.q;
    // The semi-amplitudes of the stars' orbits about the centre of mass; on the orbit star 1's
    // velocity is K1 (cos(nu + omega) + e cos omega), and nu + omega is 90 degrees at phase 0
    // plus the line of centres' turn since.
    const double root = std::sqrt(1 - p_.ecc * p_.ecc);
    const double k1 = orbit.speed * sinIncl_ * q / (1 + q) / root;
    const double k2 = orbit.speed * sinIncl_ / (1 + q) / root;
    const double offset = p_.ecc * std::cos(p_.omega * std::numbers::pi / 180);

    RadialVelocityCurves rv;
    rv.orbit1.resize(n);
    rv.orbit2.resize(n);
    rv.star1.assign(nb, std::vector<double>(n, 0.0));
    rv.star2.assign(nb, std::vector<double>(n, 0.0));
    const auto& lobes = model_->Lobes();
    ForEachPhase(n, [&](std::size_t i, FluxModel::Workspace& space) {
        const Placement at = PlaceAt(phases[i]);
        const double along = -std::sin(at.orbit.turn) + offset;
        const double v1 = orbit.gamma + k1 * along, v2 = orbit.gamma - k2 * along;
        rv.orbit1[i] = v1;
        rv.orbit2[i] = v2;
        std::vector<double> light(lobes.size() * nb), lever(lobes.size() * nb);
        model_->LightAndLever(at.w, at.shift, light, lever, space);
        for (std::size_t l = 0; l < lobes.size(); ++l) {
            const bool first = lobes[l].lobe.star == 1;
            for (std::size_t b = 0; b < nb; ++b) {
                const double f = light[l * nb + b];
                // The lever is the rotation's velocity towards the observer, in units of the
                // angular velocity (2 pi / P) times the separation.
                const double v = f > 0 ? (first ? v1 : v2) - orbit.speed * lever[l * nb + b] / f
                                       : std::numeric_limits<double>::quiet_NaN();
                (first ? rv.star1 : rv.star2)[b][i] = v;
            }
        }
    });
    return rv;
}

}  // namespace vp::flux
