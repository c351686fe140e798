// Exact moments of the part of a polygon that lies inside a circle (or a half-plane): the
// area and the integrals of x, y, x^2, x y, y^2 over it.
#pragma once

#include <array>

#include "flux/sky_polygon.h"

namespace vp::flux {

// Moments of a region: {area, Sx, Sy, Sxx, Sxy, Syy}.
using Moments2 = std::array<double, 6>;

Moments2 PolygonMoments(const SkyPolygon& poly);

// The moments of the part of poly (counter-clockwise) inside the disc of radius r about
// `centre`.
Moments2 PolygonInDisc(const SkyPolygon& poly, Point2 centre, double r);

// The integral over a region of c0 + c1 m + c2 m^2, m = mu(x, y) affine, from its moments.
double IntegrateQuadratic(const Moments2& m, const Affine2& mu, double c0, double c1, double c2);

// The moments up to the third order: {area, Sx, Sy, Sxx, Sxy, Syy, Sxxx, Sxxy, Sxyy, Syyy}.
using Moments3 = std::array<double, 10>;
Moments3 PolygonMoments3(const SkyPolygon& poly);
Moments3 PolygonInDisc3(const SkyPolygon& poly, Point2 centre, double r);

// The integrals over a region of x and of y times c0 + c1 m + c2 m^2 (m = mu affine).
std::array<double, 2> IntegrateQuadraticFirst(const Moments3& m, const Affine2& mu, double c0,
                                              double c1, double c2);

}  // namespace vp::flux
