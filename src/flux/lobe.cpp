#include "flux/lobe.h"

#include <algorithm>
#include <cmath>

#include "flux/roche_geometry.h"

namespace vp::flux {
namespace {

// g > 0 inside the surface, < 0 outside, along the ray c + r d; its derivative in r.
struct RayFunction {
    const Lobe& lobe;
    Vec3 d;
    double level;

    void operator()(double r, double& g, double& dg) const {
        const Vec3 p = lobe.centre + r * d;
        switch (lobe.kind) {
            case Lobe::Kind::Sphere:
                g = lobe.radius - r;
                dg = -1;
                return;
            case Lobe::Kind::Roche: {
                Vec3 grad;
                g = RochePotentialAndGradient(lobe.q, p, grad) - level;
                dg = Dot(grad, d);
                return;
            }
            case Lobe::Kind::Spin: {
                // Psi = 1/s + kappa s^2 cos^2(latitude) in pole radii; the surface is Psi = 1.
                const double s = r / lobe.radius;
                const double c2 = 1 - d.z * d.z;
                g = 1 / s + lobe.spinKappa * s * s * c2 - 1;
                dg = (-1 / (s * s) + 2 * lobe.spinKappa * s * c2) / lobe.radius;
                return;
            }
        }
    }
};

}  // namespace

double LobeLevel(const Lobe& lobe, Vec3 d, LobeSide side) {
    if (side == LobeSide::Auto) side = d.x * lobe.axis >= 0 ? LobeSide::Inner : LobeSide::Outer;
    return side == LobeSide::Inner ? lobe.omegaInner : lobe.omegaOuter;
}

double LobeExtent(const Lobe& lobe, Vec3 d, double guess, LobeSide side, bool* onLimit) {
    if (onLimit) *onLimit = false;
    // A ray towards the part cut away leaves the solid at the cutting plane, if not before.
    const double towardsCut = -Dot(d, lobe.cut);
    if (towardsCut > 0) {
        if (lobe.cutOffset <= 0) return 0;
        Lobe whole = lobe;
        whole.cut = {};
        const double plane = lobe.cutOffset / towardsCut;
        const double extent = LobeExtent(whole, d, guess, side, onLimit);
        if (extent <= plane) return extent;
        if (onLimit) *onLimit = true;
        return plane;
    }
    if (lobe.kind == Lobe::Kind::Sphere) return lobe.radius;
    const RayFunction f{lobe, d, lobe.kind == Lobe::Kind::Roche ? LobeLevel(lobe, d, side) : 1};

    // How far the ray may go: to the limiting plane when it heads for it (looked at only if
    // the search gets there), else far enough out.
    double hi = lobe.kind == Lobe::Kind::Spin ? 1.5 * lobe.radius : 3;
    // 1/s + kappa s^2 c2 = 1 has its root below the spin star's equatorial limit s = 1.5.
    bool hiKnown = lobe.kind == Lobe::Kind::Spin;
    double planeT = 0;
    if (lobe.kind == Lobe::Kind::Roche && d.x * lobe.axis > 1e-12) {
        planeT = (lobe.limitX - lobe.centre.x) / d.x;
        if (!(planeT > 0 && planeT < hi)) planeT = 0;
    }
    // Settles the plane once the search wants to pass it: it bounds the search, or (open
    // lobe, the ray leaving through the neck's cross-section) it is the answer. Far from the
    // axis the potential rises again: that is not the neck.
    auto reachPlane = [&](double& answer) {
        double g = 0, dg = 0;
        f(planeT, g, dg);
        const double limit = planeT;
        planeT = 0;
        if (g < 0) {
            hi = limit;
            hiKnown = true;
            return false;
        }
        if (lobe.openAtLimit && limit * std::sqrt(1 - d.x * d.x) < 1) {
            if (onLimit) *onLimit = true;
            answer = limit;
            return true;
        }
        return false;
    };
    double lo = 0;
    double r = guess > 0 && guess < hi ? guess : std::min(0.5 * hi, 0.3);
    double answer = 0;
    if (planeT > 0 && r >= planeT && reachPlane(answer)) return answer;
    double g = 0, dg = 0;
    for (int pass = 0; pass < 200; ++pass) {
        f(r, g, dg);
        if (g > 0) {
            lo = r;
        } else {
            hi = r;
            hiKnown = true;
        }
        if (g == 0) return r;
        double next = r - g / dg;
        // Without a point known to lie outside, steps outwards are short: beyond the surface
        // the potential can rise again (far from both stars), and a long step could land there.
        const bool newtonOk = dg < 0 && next > lo && (hiKnown ? next < hi : next < 1.3 * r);
        if (!newtonOk) next = hiKnown ? 0.5 * (lo + hi) : 1.3 * r;
        if (planeT > 0 && next >= planeT) {
            if (reachPlane(answer)) return answer;
            if (next >= hi) next = 0.5 * (lo + hi);
        }
        if (!hiKnown && next > 2.5) return lo;
        if (hiKnown && hi - lo <= 4e-16 * hi) return 0.5 * (lo + hi);
        if (std::fabs(next - r) <= 1e-14 * r) return next;
        r = next;
    }
    return r;
}

Vec3 LobeNormal(const Lobe& lobe, Vec3 p) {
    const Vec3 radial = Normalised(p - lobe.centre);
    Vec3 grad{};
    switch (lobe.kind) {
        case Lobe::Kind::Sphere:
            return radial;
        case Lobe::Kind::Roche:
            grad = RocheGradient(lobe.q, p);
            break;
        case Lobe::Kind::Spin: {
            const Vec3 s = (1 / lobe.radius) * (p - lobe.centre);
            const double s2 = Dot(s, s);
            const double a = -1 / (s2 * std::sqrt(s2));
            grad = {a * s.x + 2 * lobe.spinKappa * s.x, a * s.y + 2 * lobe.spinKappa * s.y,
                    a * s.z};
            break;
        }
    }
    const double n = Norm(grad);
    // At the inner Lagrangian point itself the gradient vanishes; the radial direction serves.
    if (!(n > 1e-9)) return radial;
    return (-1 / n) * grad;
}

}  // namespace vp::flux
