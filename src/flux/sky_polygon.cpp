#include "flux/sky_polygon.h"

#include <cmath>

namespace vp::flux {

bool AffineThrough(Point2 p0, Point2 p1, Point2 p2, double v0, double v1, double v2, Affine2& f) {
    const double ax = p1.x - p0.x, ay = p1.y - p0.y;
    const double bx = p2.x - p0.x, by = p2.y - p0.y;
    const double det = ax * by - ay * bx;
    const double scale = (ax * ax + ay * ay) + (bx * bx + by * by);
    if (!(std::fabs(det) > 1e-14 * scale)) return false;
    const double dv1 = v1 - v0, dv2 = v2 - v0;
    f.gx = (dv1 * by - dv2 * ay) / det;
    f.gy = (ax * dv2 - bx * dv1) / det;
    f.c = v0 - f.gx * p0.x - f.gy * p0.y;
    return true;
}

double SignedArea(const SkyPolygon& poly) {
    double twice = 0;
    const std::size_t n = poly.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Point2 a = poly[i], b = poly[(i + 1) % n];
        twice += a.x * b.y - a.y * b.x;
    }
    return 0.5 * twice;
}

void ClipToPositive(const SkyPolygon& in, const Affine2& f, SkyPolygon& out) {
    out.clear();
    const std::size_t n = in.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Point2 a = in[i], b = in[(i + 1) % n];
        const double fa = f(a), fb = f(b);
        if (fa >= 0) out.push(a);
        if ((fa >= 0) != (fb >= 0)) {
            const double t = fa / (fa - fb);
            out.push({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
        }
    }
}

void ClipToConvex(const SkyPolygon& subject, const SkyPolygon& window, SkyPolygon& out) {
    SkyPolygon a = subject, b;
    const std::size_t n = window.size();
    for (std::size_t i = 0; i < n && !a.empty(); ++i) {
        const Point2 p = window[i], q = window[(i + 1) % n];
        // Left of the edge p -> q is inside for a counter-clockwise window.
        const Affine2 left{p.x * (q.y - p.y) - p.y * (q.x - p.x), -(q.y - p.y), q.x - p.x};
        ClipToPositive(a, left, b);
        a = b;
    }
    out = a;
}

std::array<double, 4> TrianglePowerMeans(double m0, double m1, double m2) {
    const double s1 = m0 + m1 + m2;
    const double sq = m0 * m0 + m1 * m1 + m2 * m2;
    const double pairs = m0 * m1 + m1 * m2 + m2 * m0;
    const double h2 = sq + pairs;
    const double cubes = m0 * m0 * m0 + m1 * m1 * m1 + m2 * m2 * m2;
    const double mixed = m0 * m0 * (m1 + m2) + m1 * m1 * (m0 + m2) + m2 * m2 * (m0 + m1);
    const double h3 = cubes + mixed + m0 * m1 * m2;
    // The integral of (linear)^k over a triangle of area A is 2 A k! / (k + 2)! h_k.
    return {1.0, s1 / 3, h2 / 6, h3 / 10};
}

}  // namespace vp::flux
