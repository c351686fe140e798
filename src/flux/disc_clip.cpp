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
    const double lp = std::sqrt(p.x * p.x + p.y * p.y), lq = std::sqrt(q.x * q.x + q.y * q.y);
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

// Third-order moments of the triangle (0, a, b), signed by its orientation: over a triangle
// with corner values f_i, g_i, h_i of linear functions, the integral of f g h is
// A (sum f_i g_i h_i / 10 + mixed pairs / 30 + all three distinct / 60).
Moments3 FanTriangle3(Point2 a, Point2 b) {
    const Moments2 low = FanTriangle(a, b);
    const double area = low[0];
    auto cubic = [&](double fa, double ga, double ha, double fb, double gb, double hb) {
        return area *
               ((fa * ga * ha + fb * gb * hb) / 10 + (fa * ga * hb + fa * gb * ha + fb * ga * ha +
                                                      fb * gb * ha + fb * ga * hb + fa * gb * hb) /
                                                         30);
    };
    return {low[0],
            low[1],
            low[2],
            low[3],
            low[4],
            low[5],
            cubic(a.x, a.x, a.x, b.x, b.x, b.x),
            cubic(a.x, a.x, a.y, b.x, b.x, b.y),
            cubic(a.x, a.y, a.y, b.x, b.y, b.y),
            cubic(a.y, a.y, a.y, b.y, b.y, b.y)};
}

// Third-order moments of the circular sector of radius r about the origin from the direction
// of p to that of q, the short way round.
Moments3 Sector3(double r, Point2 p, Point2 q) {
    const Moments2 low = Sector(r, p, q);
    const double lp = std::sqrt(p.x * p.x + p.y * p.y), lq = std::sqrt(q.x * q.x + q.y * q.y);
    const double c0 = p.x / lp, s0 = p.y / lp, c1 = q.x / lq, s1 = q.y / lq;
    const double r5 = r * r * r * r * r / 5;
    // Antiderivatives in the angle of cos^3, cos^2 sin, cos sin^2, sin^3.
    auto xxx = [](double, double s) { return s - s * s * s / 3; };
    auto xxy = [](double c, double) { return -c * c * c / 3; };
    auto xyy = [](double, double s) { return s * s * s / 3; };
    auto yyy = [](double c, double) { return -c + c * c * c / 3; };
    return {low[0],
            low[1],
            low[2],
            low[3],
            low[4],
            low[5],
            r5 * (xxx(c1, s1) - xxx(c0, s0)),
            r5 * (xxy(c1, s1) - xxy(c0, s0)),
            r5 * (xyy(c1, s1) - xyy(c0, s0)),
            r5 * (yyy(c1, s1) - yyy(c0, s0))};
}

// Adds third-order moments taken about `centre` to moments about the origin.
void AddShifted3(Moments3& to, const Moments3& m, Point2 centre) {
    const double x = centre.x, y = centre.y;
    to[0] += m[0];
    to[1] += m[1] + x * m[0];
    to[2] += m[2] + y * m[0];
    to[3] += m[3] + 2 * x * m[1] + x * x * m[0];
    to[4] += m[4] + x * m[2] + y * m[1] + x * y * m[0];
    to[5] += m[5] + 2 * y * m[2] + y * y * m[0];
    to[6] += m[6] + 3 * x * m[3] + 3 * x * x * m[1] + x * x * x * m[0];
    to[7] += m[7] + y * m[3] + 2 * x * m[4] + 2 * x * y * m[1] + x * x * m[2] + x * x * y * m[0];
    to[8] += m[8] + x * m[5] + 2 * y * m[4] + 2 * x * y * m[2] + y * y * m[1] + x * y * y * m[0];
    to[9] += m[9] + 3 * y * m[5] + 3 * y * y * m[2] + y * y * y * m[0];
}

// The pieces of the polygon's edges inside and outside the circle of radius r about
// `centre`, taken about that centre, each handed to `inside(p, q)` (a straight piece) or `outside(p, q)` (the arc).
template <typename Inside, typename Outside>
void ClipEdgesToCircle(const SkyPolygon& poly, Point2 centre, double r, Inside inside,
                       Outside outside) {
    const std::size_t n = poly.size();
    const double r2 = r * r;
    for (std::size_t i = 0; i < n; ++i) {
        const Point2 a{poly[i].x - centre.x, poly[i].y - centre.y};
        const Point2 b{poly[(i + 1) % n].x - centre.x, poly[(i + 1) % n].y - centre.y};
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
                inside(p, q);
            } else {
                if (p.x * q.y - p.y * q.x == 0 && p.x * q.x + p.y * q.y >= 0) continue;
                outside(p, q);
            }
        }
    }
}

}  // namespace

Moments3 PolygonMoments3(const SkyPolygon& poly) {
    Moments3 m{};
    const std::size_t n = poly.size();
    for (std::size_t i = 0; i < n; ++i) {
        const Moments3 f = FanTriangle3(poly[i], poly[(i + 1) % n]);
        for (int k = 0; k < 10; ++k) m[k] += f[k];
    }
    return m;
}

Moments3 PolygonInDisc3(const SkyPolygon& poly, Point2 centre, double r) {
    Moments3 part{};
    ClipEdgesToCircle(
        poly, centre, r, [&](Point2 p, Point2 q) { AddShifted3(part, FanTriangle3(p, q), centre); },
        [&](Point2 p, Point2 q) { AddShifted3(part, Sector3(r, p, q), centre); });
    return part;
}

std::array<double, 2> IntegrateQuadraticFirst(const Moments3& m, const Affine2& mu, double c0,
                                              double c1, double c2) {
    const double a = mu.c, gx = mu.gx, gy = mu.gy;
    // x m = a x + gx x^2 + gy x y; x m^2 = a^2 x + 2 a gx x^2 + 2 a gy x y + gx^2 x^3 +
    // 2 gx gy x^2 y + gy^2 x y^2; and the same for y.
    const double x1 = a * m[1] + gx * m[3] + gy * m[4];
    const double y1 = a * m[2] + gx * m[4] + gy * m[5];
    const double x2 = a * a * m[1] + 2 * a * gx * m[3] + 2 * a * gy * m[4] + gx * gx * m[6] +
                      2 * gx * gy * m[7] + gy * gy * m[8];
    const double y2 = a * a * m[2] + 2 * a * gx * m[4] + 2 * a * gy * m[5] + gx * gx * m[7] +
                      2 * gx * gy * m[8] + gy * gy * m[9];
    return {c0 * m[1] + c1 * x1 + c2 * x2, c0 * m[2] + c1 * y1 + c2 * y2};
}

Moments2 PolygonMoments(const SkyPolygon& poly) {
    Moments2 m{};
    const std::size_t n = poly.size();
    for (std::size_t i = 0; i < n; ++i) Add(m, FanTriangle(poly[i], poly[(i + 1) % n]));
    return m;
}

Moments2 PolygonInDisc(const SkyPolygon& poly, Point2 centre, double r) {
    Moments2 part{};
    ClipEdgesToCircle(
        poly, centre, r, [&](Point2 p, Point2 q) { AddShifted(part, FanTriangle(p, q), centre); },
        [&](Point2 p, Point2 q) { AddShifted(part, Sector(r, p, q), centre); });
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
