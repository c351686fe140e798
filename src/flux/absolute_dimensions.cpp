#include "flux/absolute_dimensions.h"

#include <cmath>
#include <numbers>
#include <stdexcept>

#include "flux/gravity_darkening.h"
#include "flux/lobe_mesh.h"
#include "flux/roche_geometry.h"
#include "flux/spots.h"
#include "flux/system_lobes.h"

namespace vp::flux {
namespace {

constexpr double kPi = std::numbers::pi;
constexpr int kRings = 40;

// The area of an open lobe's cross-section at its limiting plane: the neck's waist.
double WaistArea(const Lobe& lobe) {
    const int samples = 256;
    double sum = 0;
    for (int s = 0; s < samples; ++s) {
        const double phi = 2 * kPi * s / samples;
        auto inside = [&](double rho) {
            const Vec3 p{lobe.limitX, rho * std::cos(phi), rho * std::sin(phi)};
            return RochePotential(lobe.q, p) > lobe.omegaInner;
        };
        double lo = 0, hi = 0.05;
        while (inside(hi) && hi < 2) lo = hi, hi *= 1.5;
        for (int pass = 0; pass < 100 && hi - lo > 1e-14; ++pass) {
            const double mid = 0.5 * (lo + hi);
            (inside(mid) ? lo : hi) = mid;
        }
        const double rho = 0.5 * (lo + hi);
        sum += 0.5 * rho * rho;
    }
    return sum * 2 * kPi / samples;
}

StarDimensions Measure(const BinaryParameters& p, const SystemFacts& facts, const Lobe& lobe,
                       const PhysicalOrbit& orbit) {
    const int star = lobe.star;
    const LobeMesh mesh = BuildLobeMesh(lobe, kRings);
    const double a = orbit.a;  // solar radii per separation unit
    StarDimensions d;
    d.mass = star == 1 ? orbit.m1 : orbit.m2;

    // Volume by the divergence theorem, (1/3) the integral of (p - c).n, the waist of an open
    // lobe closing it; area and luminosity over the same patches.
    const double beta = star == 1 ? p.gd1 : p.gd2;
    const GravityDarkening darkening(mesh, beta);
    const SpotPattern spots(p.spots, star);
    double volume = 0, area = 0, flux = 0;
    auto own4 = [&](Vec3 pos, double factor) {
        return std::pow(SurfaceTemperature(p, facts, star, pos) * darkening.Factor(pos) * factor,
                        4);
    };
    for (std::size_t t = 0; t < mesh.triangles.size(); ++t) {
        for (int k = 0; k < kQuadPoints; ++k) {
            const std::size_t q = t * kQuadPoints + k;
            const double w = mesh.quadWeight[q];
            volume += w * Dot(mesh.quadPosition[q] - lobe.centre, mesh.quadNormal[q]) / 3;
            area += w;
        }
        const bool crossed = spots.IntegrateAcrossEdges(
            mesh, t, [&](const PatchPoint& pt, const double*, double weight, double factor) {
                flux += weight * own4(pt.p, factor);
            });
        if (crossed) continue;
        for (int k = 0; k < kQuadPoints; ++k) {
            const std::size_t q = t * kQuadPoints + k;
            const Vec3 pos = mesh.quadPosition[q];
            flux += mesh.quadWeight[q] * own4(pos, spots.Factor(Normalised(pos - lobe.centre)));
        }
    }
    if (lobe.kind == Lobe::Kind::Roche && lobe.openAtLimit)
        volume += std::fabs(lobe.limitX - lobe.centre.x) * WaistArea(lobe) / 3;
    d.radius = std::cbrt(3 * volume / (4 * kPi)) * a;
    d.area = area * a * a;
    // L / L_sun = (A / 4 pi R_sun^2) <T_local^4> / T_sun^4.
    d.luminosity = d.area / (4 * kPi) * flux / area / std::pow(kSolarTemperature, 4);

    const Vec3 pole{0, 0, 1}, side{0, 1, 0}, back{-lobe.axis, 0, 0}, point{lobe.axis, 0, 0};
    d.radiusPole = LobeExtent(lobe, pole) * a;
    d.radiusSide = LobeExtent(lobe, side) * a;
    d.radiusBack = LobeExtent(lobe, back) * a;
    d.radiusPoint = LobeExtent(lobe, point) * a;

    // Gravities in cm s^-2.
    const double metres = a * kSolarRadius;
    const double gm = d.mass * kSolarMassParameter;
    d.logG = std::log10(gm / std::pow(d.radius * kSolarRadius, 2) * 100);
    if (lobe.kind == Lobe::Kind::Roche) {
        const double gm1 = orbit.m1 * kSolarMassParameter;
        const Vec3 top = lobe.centre + (d.radiusPole / a) * pole;
        d.logGPole = std::log10(gm1 / (metres * metres) * SurfaceGravity(lobe, top) * 100);
    } else {
        d.logGPole = std::log10(gm / std::pow(d.radiusPole * kSolarRadius, 2) * 100);
    }
    return d;
}

}  // namespace

AbsoluteDimensions ComputeAbsoluteDimensions(const BinaryParameters& p, const OrbitScale& scale) {
    if (!p.twoStars) throw std::invalid_argument("absolute dimensions need two stars");
    CheckBinaryParameters(p);
    AbsoluteDimensions out;
    out.orbit = ResolveScale(scale, p.q);
    SystemFacts facts;
    const std::vector<Lobe> lobes = MakeLobes(p, facts);
    for (const Lobe& lobe : lobes)
        (lobe.star == 1 ? out.star1 : out.star2) = Measure(p, facts, lobe, out.orbit);
    return out;
}

}  // namespace vp::flux
