#include "flux/disc_clip.h"

#include <cmath>

namespace vp::flux {
namespace {

// Moments of the triangle (0, a, b), signed by its orientation.
Moments2 FanTriangle(Point2 a, Point2 b) {
    const double area = 0.5 * (a.x * b.y - a.y * b.x);
    return {area,
            area * (a.x + b.x) / 3,
            area * (a.y + b.y) / 3,
            area * (a.x * a.x + a.x * b.x + b.x * b.x) / 6,
            area * (2 * a.x * a.y + a.x * b.y + b.x * a.y + 2 * b.x * b.y) / 12,
            area * (a.y * a.y + a.y * b.y + b.y * b.y) / 6};
}

// Moments of the circular sector of radius r about the origin from the direction of p to that
// of q, turning the short way round.
Moments2 Sector(double r, Point2 p, Point2 q) {
    const double r2 = r * r, r3 = r2 * r, r4 = r2 * r2;
    const double lp = std::hypot(p.x, p.y), lq = std::hypot(q.x, q.y);
    const double c0 = p.x / lp, s0 = p.y / lp, c1 = q.x / lq, s1 = q.y / lq;
    const double d = std::atan2(c0 * s1 - s0 * c1, c0 * c1 + s0 * s1);
    const double s20 = 2 * s0 * c0, s21 = 2 * s1 * c1;
    const double c20 = c0 * c0 - s0 * s0, c21 = c1 * c1 - s1 * s1;
    return {0.5 * r2 * d,          r3 / 3 * (s1 - s0),
            r3 / 3 * (c0 - c1),    r4 / 8 * (d + 0.5 * (s21 - s20)),
            r4 / 16 * (c20 - c21), r4 / 8 * (d - 0.5 * (s21 - s20))};
}

void Add(Moments2& to, const Moments2& m) {
    for (int k = 0; k < 6; ++k) to[k] += m[k];
}

// Adds moments taken about `centre` to moments about the origin.
void AddShifted(Moments2& to, const Moments2& m, Point2 centre) {
    const double x = centre.x, y = centre.y;
    to[0] += m[0];
    to[1] += m[1] + x * m[0];
    to[2] += m[2] + y * m[0];
    to[3] += m[3] + 2 * x * m[1] + x * x * m[0];
    to[4] += m[4] + x * m[2] + y * m[1] + x * y * m[0];
    to[5] += m[5] + 2 * y * m[2] + y * y * m[0];
}

}  // namespace

Moments2 PolygonMoments(const SkyPolygon& poly) {
    Moments2 m{};
    const std::size_t n = poly.size();
    for (std::size_t i = 0; i < n; ++i) Add(m, FanTriangle(poly[i], poly[(i + 1) % n]));
    return m;
}

Moments2 PolygonInDisc(const SkyPolygon& poly, Point2 centre, double r) {
    Moments2 part{};
    const std::size_t n = poly.size();
    const double r2 = r * r;
    for (std::size_t i = 0; i < n; ++i) {
        const Point2 a{poly[i].x - centre.x, poly[i].y - centre.y};
        const Point2 b{poly[(i + 1) % n].x - centre.x, poly[(i + 1) % n].y - centre.y};
        // Where the edge a + t (b - a) crosses the circle.
        const double dx = b.x - a.x, dy = b.y - a.y;
        const double A = dx * dx + dy * dy;
        const double B = a.x * dx + a.y * dy;
        const double C = a.x * a.x + a.y * a.y - r2;
        double cuts[4] = {0, 0, 0, 1};
        int count = 1;
        const double disc = B * B - A * C;
        if (A > 0 && disc > 0) {
            const double root = std::sqrt(disc);
            const double t1 = (-B - root) / A, t2 = (-B + root) / A;
            if (t1 > 0 && t1 < 1) cuts[count++] = t1;
            if (t2 > 0 && t2 < 1) cuts[count++] = t2;
        }
        cuts[count++] = 1;
        for (int k = 0; k + 1 < count; ++k) {
            const double ta = cuts[k], tb = cuts[k + 1];
            const Point2 p{a.x + ta * dx, a.y + ta * dy}, q{a.x + tb * dx, a.y + tb * dy};
            const double tm = 0.5 * (ta + tb);
            const double mx = a.x + tm * dx, my = a.y + tm * dy;
            if (mx * mx + my * my <= r2) {
                AddShifted(part, FanTriangle(p, q), centre);
            } else {
                if (p.x * q.y - p.y * q.x == 0 && p.x * q.x + p.y * q.y >= 0) continue;
                AddShifted(part, Sector(r, p, q), centre);
            }
        }
    }
    return part;
}

double IntegrateQuadratic(const Moments2& m, const Affine2& mu, double c0, double c1, double c2) {
    const double a = mu.c, gx = mu.gx, gy = mu.gy;
    const double s1 = a * m[0] + gx * m[1] + gy * m[2];
    const double s2 = a * a * m[0] + 2 * a * gx * m[1] + 2 * a * gy * m[2] + gx * gx * m[3] +
                      2 * gx * gy * m[4] + gy * gy * m[5];
    return c0 * m[0] + c1 * s1 + c2 * s2;
}

}  // namespace vp::flux
