// The Roche potential in the frame the flux engine works in: separation 1, star 1 at the
// origin, star 2 at (1, 0, 0), the orbit in the x-y plane, z along the orbital axis. The same
// potential and normalisation as the window's model, solved to machine precision.
#pragma once

#include "flux/vec3.h"

namespace vp::flux {

// Omega(p) = 1/r1 + q (1/r2 - x) + (1 + q)/2 (x^2 + y^2).
double RochePotential(double q, Vec3 p);
Vec3 RocheGradient(double q, Vec3 p);
// Both at once, sharing the distances.
double RochePotentialAndGradient(double q, Vec3 p, Vec3& gradient);

struct InnerLagrangePoint {
    double x = 0.5;       // distance from star 1's centre along the line of centres
    double omega = 3.75;  // the critical potential there
};

// The inner Lagrangian point for mass ratio q (q > 0), by Newton's method to full precision.
InnerLagrangePoint FindInnerLagrangePoint(double q);

// Surface potentials of the stars, taken at their poles, in the frame's normalisation.
double PolePotential1(double q, double poleRadius1);
double PolePotential2(double q, double poleRadius2);

}  // namespace vp::flux
