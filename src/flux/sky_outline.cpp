#include "flux/sky_outline.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace vp::flux {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr int kScan = 12;
// An outline whose radius of curvature exceeds the disc's radius this many times over is
// taken as straight there: so near an inflection the osculating circle's radius would outgrow
// the precision of the moments cut by it.
constexpr double kStraight = 1e-3;

// Climbs b from (start, b(start)) to the top of its hump: the place on return in `top`, the
// value returned.
template <typename F>
double ClimbHump(F& b, double start, double startValue, double& top) {
    double h = 0.02;
    double x1 = start, f1 = startValue;
    double x0 = x1 - h, f0 = b(x0);
    double x2 = x1 + h, f2 = b(x2);
    // Walk uphill until the middle point is the highest.
    for (int pass = 0; pass < 60 && !(f1 >= f0 && f1 >= f2); ++pass) {
        if (f0 > f2) {
            x2 = x1, f2 = f1, x1 = x0, f1 = f0;
            h *= 1.6;
            x0 = std::max(x1 - h, 1e-6), f0 = b(x0);
        } else {
            x0 = x1, f0 = f1, x1 = x2, f1 = f2;
            h *= 1.6;
            x2 = std::min(x1 + h, std::numbers::pi - 1e-6), f2 = b(x2);
        }
    }
    double best = f1, bestX = x1;
    // Parabolic steps inside the bracket, and golden ones whenever they stop shrinking it: the
    // highest point may be a corner (where the surface ends on a plane) or a step (where it
    // ends on a cut), which no parabola finds.
    double widths[2] = {x2 - x0, x2 - x0};
    for (int pass = 0; pass < 100; ++pass) {
        const double width = x2 - x0;
        const bool stalled = width > 0.5 * widths[pass % 2];
        widths[pass % 2] = width;
        const double d10 = x1 - x0, d12 = x1 - x2;
        const double num = d10 * d10 * (f1 - f2) - d12 * d12 * (f1 - f0);
        const double den = d10 * (f1 - f2) - d12 * (f1 - f0);
        double x = den != 0 ? x1 - 0.5 * num / den : 0.5 * (x0 + x1);
        if (stalled || !(x > x0 && x < x2) || std::fabs(x - x1) < 1e-3 * width) {
            // Golden step into the larger side.
            x = (x2 - x1 > x1 - x0) ? x1 + 0.381966 * (x2 - x1) : x1 - 0.381966 * (x1 - x0);
        }
        const double f = b(x);
        if (f > best) best = f, bestX = x;
        if (f >= f1) {
            if (x > x1)
                x0 = x1, f0 = f1;
            else
                x2 = x1, f2 = f1;
            x1 = x, f1 = f;
        } else {
            if (x > x1)
                x2 = x, f2 = f;
            else
                x0 = x, f0 = f;
        }
        if (x2 - x0 < 2e-5) break;
    }
    top = bestX;
    return best;
}

// The largest projected distance from the centre of the lobe's section by the half-plane of
// the line of sight and the sky direction e: b(theta) = extent(d) sin theta, with d = cos theta
// w + sin theta e, found by climbing to its maximum. theta holds the guess on entry and the
// maximum's place on return.
double ClimbSection(const Lobe& lobe, Vec3 w, Vec3 e, double& theta, double& extentGuess) {
    auto b = [&](double th) {
        const Vec3 d = std::cos(th) * w + std::sin(th) * e;
        const double r = LobeExtent(lobe, d, extentGuess);
        extentGuess = r;
        return r * std::sin(th);
    };
    double top = theta;
    double best = ClimbHump(b, theta, b(theta), top);
    // The section of an open or cut lobe can have two humps (a tangent point and the corner on
    // the plane) close together: the climb from the guess may stay on the lower one, so every
    // hump a coarse scan sees is climbed as well.
    if (Dot(lobe.cut, lobe.cut) > 0 || lobe.openAtLimit) {
        std::array<double, kScan + 2> values;
        auto at = [](int j) { return (j + 0.5) * std::numbers::pi / kScan; };
        values[0] = values[kScan + 1] = -1;
        for (int j = 0; j < kScan; ++j) values[j + 1] = b(at(j));
        for (int j = 0; j < kScan; ++j) {
            if (!(values[j + 1] >= values[j] && values[j + 1] >= values[j + 2])) continue;
            if (std::fabs(at(j) - top) < 0.5 * std::numbers::pi / kScan) continue;  // climbed
            double place;
            const double v = ClimbHump(b, at(j), values[j + 1], place);
            if (v > best) best = v, top = place;
        }
    }
    theta = top;
    return best;
}

// The same maximum where the surface itself turns away: the point of the section whose
// normal is at right angles to the line of sight, by the secant method from the guess. False
// when the search leaves the surface (at an open lobe's limiting plane) or does not settle.
bool TangentSection(const Lobe& lobe, Vec3 w, Vec3 e, double& theta, double& extentGuess,
                    double& extent) {
    auto h = [&](double th, double& projected, bool& onLimit) {
        const Vec3 d = std::cos(th) * w + std::sin(th) * e;
        const double r = LobeExtent(lobe, d, extentGuess, LobeSide::Auto, &onLimit);
        extentGuess = r;
        projected = r * std::sin(th);
        return Dot(LobeNormal(lobe, lobe.centre + r * d), w);
    };
    double b0, b1;
    bool limit0, limit1;
    double t0 = theta, t1 = theta + 1e-3;
    double h0 = h(t0, b0, limit0), h1 = h(t1, b1, limit1);
    for (int pass = 0; pass < 12; ++pass) {
        if (limit0 || limit1) return false;
        if (h1 == h0) break;
        const double t2 = t1 - h1 * (t1 - t0) / (h1 - h0);
        if (!(t2 > 0 && t2 < std::numbers::pi) || std::fabs(t2 - t1) > 0.5) return false;
        t0 = t1, h0 = h1, b0 = b1, limit0 = limit1;
        t1 = t2;
        h1 = h(t1, b1, limit1);
        if (std::fabs(t1 - t0) < 1e-9) {
            if (limit1) return false;
            theta = t1;
            extent = b1;
            return true;
        }
    }
    return false;
}

// The section's largest projected distance: the tangent point of a closed lobe, or the climb
// to the maximum where the surface may end before turning away (an open lobe, whose end at
// its limiting plane can reach further than any tangent point).
double SectionExtent(const Lobe& lobe, Vec3 w, Vec3 e, double& theta, double& extentGuess) {
    // The neck of an open lobe (no wider than half the separation) lies wholly behind the
    // sky plane through the centre:
    const bool neckBehind =
        (lobe.limitX - lobe.centre.x) * w.x + 0.5 * std::sqrt(std::max(0.0, 1 - w.x * w.x)) < 0;
    if ((!lobe.openAtLimit || neckBehind) && lobe.cutOffset == 0 && Dot(lobe.cut, w) > 1 - 1e-12) {
        // The half of a lobe in front of the sky plane through its centre: its disc reaches the
        // section's edge on that plane, or a tangent point in front of it.
        Lobe whole = lobe;
        whole.cut = {};
        const double edge = LobeExtent(whole, e, extentGuess);
        double extent, t = theta, g = extentGuess;
        if (TangentSection(whole, w, e, t, g, extent) && t < std::numbers::pi / 2 &&
            extent > edge) {
            theta = t;
            return extent;
        }
        theta = std::numbers::pi / 2;
        return edge;
    }
    if (lobe.openAtLimit || Dot(lobe.cut, lobe.cut) > 0)
        return ClimbSection(lobe, w, e, theta, extentGuess);
    double extent;
    double t = theta, g = extentGuess;
    if (TangentSection(lobe, w, e, t, g, extent)) {
        theta = t;
        extentGuess = g;
        return extent;
    }
    return ClimbSection(lobe, w, e, theta, extentGuess);
}

}  // namespace

void SkyOutline::SetCircle(double r) {
    circle_ = true;
    radius_ = r;
    minRadius_ = maxRadius_ = r;
    fullTurn_ = true;
}

void SkyOutline::SetLobe(const Lobe& lobe, double extentGuess, Vec3 w, Vec3 e1, Vec3 e2,
                         double psiLow, double psiHigh, double step) {
    if (lobe.kind == Lobe::Kind::Sphere && !(Dot(lobe.cut, lobe.cut) > 0)) {
        SetCircle(lobe.radius);
        return;
    }
    circle_ = false;
    fullTurn_ = psiHigh - psiLow >= kTwoPi - 1e-12;
    // The samples stand at fixed position angles, whole steps of a turn, whatever the arc:
    // where the outline turns sharply (at the rim of a contact star's neck) samples sliding
    // along with the arc would make the outline, and the light, jump from phase to phase.
    const int perTurn = std::max(8, static_cast<int>(std::ceil(kTwoPi / step)));
    dpsi_ = kTwoPi / perTurn;
    int n = perTurn;
    if (fullTurn_) {
        psi0_ = 0;
    } else {
        const double from = std::floor(psiLow / dpsi_);
        psi0_ = from * dpsi_;
        n = std::max(4, static_cast<int>(std::ceil(psiHigh / dpsi_ - from)));
    }
    // A full turn needs n samples; an arc, both ends and one more on each side for the
    // interpolation.
    const int first = fullTurn_ ? 0 : -1, last = fullTurn_ ? n - 1 : n + 1;
    table_.assign(last - first + 1, 0);
    double theta = std::numbers::pi / 2;
    minRadius_ = 1e300, maxRadius_ = 0;
    for (int k = first; k <= last; ++k) {
        const double psi = psi0_ + k * dpsi_;
        const Vec3 e = std::cos(psi) * e1 + std::sin(psi) * e2;
        const double r = SectionExtent(lobe, w, e, theta, extentGuess);
        table_[k - first] = r;
        minRadius_ = std::min(minRadius_, r);
        maxRadius_ = std::max(maxRadius_, r);
    }
    if (!fullTurn_) psi0_ -= dpsi_;
}

double SkyOutline::Radius(double psi) const {
    if (circle_) return radius_;
    const int n = static_cast<int>(table_.size());
    double u = (psi - psi0_) / dpsi_;
    if (fullTurn_) {
        u -= n * std::floor(u / n);
    } else {
        // Angles are given within the arc, possibly a turn away.
        const double turn = kTwoPi / dpsi_;
        while (u < 0) u += turn;
        while (u > n - 1 && u - turn >= 0) u -= turn;
        u = std::clamp(u, 0.0, n - 1.0);
    }
    int i = static_cast<int>(std::floor(u));
    double f = u - i;
    auto at = [&](int k) {
        if (fullTurn_) return table_[((k % n) + n) % n];
        return table_[std::clamp(k, 0, n - 1)];
    };
    if (!fullTurn_ && i >= n - 1) i = n - 2, f = 1;
    // Catmull-Rom through the neighbouring samples.
    const double p0 = at(i - 1), p1 = at(i), p2 = at(i + 1), p3 = at(i + 2);
    return p1 + 0.5 * f *
                    (p2 - p0 + f * (2 * p0 - 5 * p1 + 4 * p2 - p3 + f * (3 * (p1 - p2) + p3 - p0)));
}

void SkyOutline::Derivatives(double psi, double& r, double& r1, double& r2) const {
    const double h = 0.5 * dpsi_;
    const double a = Radius(psi - h), b = Radius(psi), c = Radius(psi + h);
    r = b;
    r1 = (c - a) / (2 * h);
    r2 = (c - 2 * b + a) / (h * h);
}

SkyOutline::LocalEdge SkyOutline::Local(double psi) const {
    LocalEdge e;
    if (circle_) {
        e.centre = {0, 0};
        e.radius = radius_;
        return e;
    }
    double r, r1, r2;
    Derivatives(psi, r, r1, r2);
    const double c = std::cos(psi), s = std::sin(psi);
    e.point = {r * c, r * s};
    const Point2 tangent{r1 * c - r * s, r1 * s + r * c};
    const double len = std::hypot(tangent.x, tangent.y);
    e.normal = {-tangent.y / len, tangent.x / len};  // left of a counter-clockwise edge: inward
    const double kappa = (r * r + 2 * r1 * r1 - r * r2) / (len * len * len);
    if (std::fabs(kappa) * r < kStraight) {
        e.straight = true;
        return e;
    }
    e.radius = 1 / std::fabs(kappa);
    e.inside = kappa > 0;
    const double toward = kappa > 0 ? e.radius : -e.radius;
    e.centre = {e.point.x + toward * e.normal.x, e.point.y + toward * e.normal.y};
    return e;
}

void SkyOutline::Wedge(double psiA, double psiB, double step, SkyPolygon& out) const {
    out.clear();
    out.push({0, 0});
    const int n = std::max(1, static_cast<int>(std::ceil((psiB - psiA) / step)));
    const double d = (psiB - psiA) / n;
    // Vertices pushed out so that each thin triangle has the area of the sector it stands for.
    const double grow = d > 1e-9 ? std::sqrt(d / std::sin(d)) : 1.0;
    for (int k = 0; k <= n; ++k) {
        const double psi = psiA + k * d;
        const double r = Radius(psi) * grow;
        out.push({r * std::cos(psi), r * std::sin(psi)});
    }
}

void SkyOutline::Whole(double step, SkyPolygon& out) const {
    out.clear();
    const int n = std::max(8, static_cast<int>(std::ceil(kTwoPi / step)));
    const double d = kTwoPi / n;
    const double grow = std::sqrt(d / std::sin(d));
    for (int k = 0; k < n; ++k) {
        const double psi = k * d;
        const double r = Radius(psi) * grow;
        out.push({r * std::cos(psi), r * std::sin(psi)});
    }
}

}  // namespace vp::flux
