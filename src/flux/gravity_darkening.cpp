#include "flux/gravity_darkening.h"

#include <cmath>

#include "flux/roche_geometry.h"

namespace vp::flux {

double SurfaceGravity(const Lobe& lobe, Vec3 p) {
    switch (lobe.kind) {
        case Lobe::Kind::Sphere:
            return 1;
        case Lobe::Kind::Roche:
            return Norm(RocheGradient(lobe.q, p));
        case Lobe::Kind::Spin: {
            // Psi = 1/s + kappa s^2 cos^2(latitude), lengths in pole radii.
            const Vec3 s = (1 / lobe.radius) * (p - lobe.centre);
            const double s2 = Dot(s, s);
            const double a = -1 / (s2 * std::sqrt(s2));
            const Vec3 grad{a * s.x + 2 * lobe.spinKappa * s.x, a * s.y + 2 * lobe.spinKappa * s.y,
                            a * s.z};
            return Norm(grad);
        }
    }
    return 1;
}

GravityDarkening::GravityDarkening(const LobeMesh& mesh, double beta)
    : lobe_(mesh.lobe), beta_(beta) {
    if (beta == 0) return;
    // (g / g_ref)^beta averaged over the area is 1.
    double weighted = 0, area = 0;
    for (std::size_t q = 0; q < mesh.quadPosition.size(); ++q) {
        const double w = mesh.quadWeight[q];
        weighted += w * std::pow(SurfaceGravity(mesh.lobe, mesh.quadPosition[q]), beta);
        area += w;
    }
    if (area > 0 && weighted > 0) reference_ = std::pow(weighted / area, 1 / beta);
}

double GravityDarkening::Factor(Vec3 p) const {
    if (!Active()) return 1;
    const double g = SurfaceGravity(lobe_, p);
    // At the inner Lagrangian point of a contact envelope the gravity vanishes.
    if (!(g > 0)) return 0;
    return std::pow(g / reference_, 0.25 * beta_);
}

}  // namespace vp::flux
