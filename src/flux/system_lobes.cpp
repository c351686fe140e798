#include "flux/system_lobes.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

#include "core/number_text.h"
#include "flux/roche_geometry.h"

namespace vp::flux {
namespace {

constexpr double kPi = std::numbers::pi;

}  // namespace

std::vector<Lobe> MakeLobes(const BinaryParameters& p, SystemFacts& facts) {
    std::vector<Lobe> lobes;
    if (!p.twoStars) {
        Lobe lone;
        lone.star = 1;
        if (p.tidal) {
            // The lone star is one solar mass and one solar radius at the pole, drawn with a
            // pole radius of half the separation, flattened by its rotation.
            const double period = p.rotationPeriod * 86400;
            const double kappa =
                2 * kPi * kPi * std::pow(6.95e8, 3) / (period * period * 6.672e-11 * 1.989e30);
            if (!(kappa <= 4.0 / 27))
                throw std::invalid_argument(
                    "the lone star rotates too fast to hold together (rotation period " +
                    FormatNumber(p.rotationPeriod) + " days)");
            lone.kind = Lobe::Kind::Spin;
            lone.radius = 0.5;
            lone.spinKappa = kappa;
        } else {
            lone.kind = Lobe::Kind::Sphere;
            lone.radius = p.r1;
        }
        lobes.push_back(lone);
        return lobes;
    }
    const InnerLagrangePoint l1 = FindInnerLagrangePoint(p.q);
    facts.l1 = l1.x;
    facts.omegaCrit = l1.omega;
    facts.omega1 = PolePotential1(p.q, p.r1);
    facts.omega2 = PolePotential2(p.q, p.r2);
    facts.star1Fills = facts.omega1 < facts.omegaCrit;
    facts.star2Fills = facts.omega2 < facts.omegaCrit;
    facts.contact = facts.star1Fills && facts.star2Fills;
    facts.neck = p.tidal && facts.contact && p.neck != 0;

    Lobe one, two;
    one.star = 1;
    two.star = 2;
    one.centre = {0, 0, 0};
    two.centre = {1, 0, 0};
    one.axis = 1;
    two.axis = -1;
    if (!p.tidal) {
        one.kind = two.kind = Lobe::Kind::Sphere;
        one.radius = p.r1;
        two.radius = p.r2;
        return {one, two};
    }
    one.kind = two.kind = Lobe::Kind::Roche;
    one.q = two.q = p.q;
    one.limitX = two.limitX = l1.x;
    if (facts.neck) {
        // The contact envelope: star 1's potential from star 1's back to star 2's centre (the
        // neck), star 2's own beyond it; each half ends at the plane of the inner Lagrangian
        // point.
        one.omegaInner = one.omegaOuter = facts.omega1;
        two.omegaInner = facts.omega1;
        two.omegaOuter = facts.omega2;
        one.openAtLimit = two.openAtLimit = true;
    } else {
        // A star cannot be larger than its Roche lobe.
        const double lobe = l1.omega * (1 + 1e-10);
        one.omegaInner = one.omegaOuter = std::max(facts.omega1, lobe);
        two.omegaInner = two.omegaOuter = std::max(facts.omega2, lobe);
    }
    return {one, two};
}

double SurfaceTemperature(const BinaryParameters& p, const SystemFacts& facts, int star, Vec3 pos) {
    if (facts.neck && p.t1 != p.t2 && std::fabs(pos.x - facts.l1) < 0.05 && pos.x >= 0 &&
        pos.x <= 1) {
        return p.t1 + (p.t2 - p.t1) * ((pos.x - facts.l1) + 0.05) / 0.1;
    }
    return star == 1 ? p.t1 : p.t2;
}

}  // namespace vp::flux
