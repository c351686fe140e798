// Polygons in the plane of the sky and the integrals the eclipses need over them.
#pragma once

#include <array>
#include <cstddef>

namespace vp::flux {

// Left uninitialised by default: polygons hold many of them and are made often.
struct Point2 {
    double x, y;
};

// A polygon of bounded size; clipping adds at most one vertex per clipping line.
class SkyPolygon {
  public:
    static constexpr std::size_t kCapacity = 512;
    SkyPolygon() = default;
    SkyPolygon(const SkyPolygon& other) { *this = other; }
    SkyPolygon& operator=(const SkyPolygon& other) {
        n_ = other.n_;
        for (std::size_t i = 0; i < n_; ++i) p_[i] = other.p_[i];
        return *this;
    }
    std::size_t size() const { return n_; }
    bool empty() const { return n_ == 0; }
    void clear() { n_ = 0; }
    void push(Point2 p) {
        if (n_ < kCapacity) p_[n_++] = p;
    }
    const Point2& operator[](std::size_t i) const { return p_[i]; }
    Point2& operator[](std::size_t i) { return p_[i]; }

  private:
    std::array<Point2, kCapacity> p_;
    std::size_t n_ = 0;
};

// An affine function of the sky position: value = c + gx x + gy y.
struct Affine2 {
    double c = 0, gx = 0, gy = 0;
    double operator()(Point2 p) const { return c + gx * p.x + gy * p.y; }
};

// The affine function taking the values v0, v1, v2 at the corners of a triangle; false when
// the triangle has no area.
bool AffineThrough(Point2 p0, Point2 p1, Point2 p2, double v0, double v1, double v2, Affine2& f);

double SignedArea(const SkyPolygon& poly);

// Keeps the part of `in` where f >= 0 (one step of Sutherland-Hodgman).
void ClipToPositive(const SkyPolygon& in, const Affine2& f, SkyPolygon& out);

// Keeps the part of `subject` inside the convex, counter-clockwise polygon `window`. The
// subject may be any closed polygon; the result then may hold edges running both ways along
// the window's border, which add nothing to any integral.
void ClipToConvex(const SkyPolygon& subject, const SkyPolygon& window, SkyPolygon& out);

// The integrals of mu^k (k = 0..3) over a triangle whose corners take the values m0, m1, m2 of
// a linear function, per unit (signed) area.
std::array<double, 4> TrianglePowerMeans(double m0, double m1, double m2);

}  // namespace vp::flux
