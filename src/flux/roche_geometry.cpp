#include "flux/roche_geometry.h"

#include <cmath>

namespace vp::flux {

double RochePotential(double q, Vec3 p) {
    const double r1 = std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z);
    const double dx = p.x - 1;
    const double r2 = std::sqrt(dx * dx + p.y * p.y + p.z * p.z);
    return 1 / r1 + q * (1 / r2 - p.x) + 0.5 * (1 + q) * (p.x * p.x + p.y * p.y);
}

Vec3 RocheGradient(double q, Vec3 p) {
    const double r1s = p.x * p.x + p.y * p.y + p.z * p.z;
    const double dx = p.x - 1;
    const double r2s = dx * dx + p.y * p.y + p.z * p.z;
    const double a = 1 / (r1s * std::sqrt(r1s));
    const double b = q / (r2s * std::sqrt(r2s));
    return {-a * p.x - b * dx - q + (1 + q) * p.x, -a * p.y - b * p.y + (1 + q) * p.y,
            -a * p.z - b * p.z};
}

double RochePotentialAndGradient(double q, Vec3 p, Vec3& gradient) {
    const double r1s = p.x * p.x + p.y * p.y + p.z * p.z;
    const double dx = p.x - 1;
    const double r2s = dx * dx + p.y * p.y + p.z * p.z;
    const double i1 = 1 / std::sqrt(r1s), i2 = 1 / std::sqrt(r2s);
    const double a = i1 * i1 * i1, b = q * i2 * i2 * i2;
    gradient = {-a * p.x - b * dx - q + (1 + q) * p.x, -a * p.y - b * p.y + (1 + q) * p.y,
                -a * p.z - b * p.z};
    return i1 + q * (i2 - p.x) + 0.5 * (1 + q) * (p.x * p.x + p.y * p.y);
}

InnerLagrangePoint FindInnerLagrangePoint(double q) {
    // dOmega/dx on the axis between the stars: -1/x^2 + q/(1-x)^2 - q + (1+q) x.
    double x = 0.5;
    for (int pass = 0; pass < 100; ++pass) {
        const double u = 1 - x;
        const double f = -1 / (x * x) + q / (u * u) - q + (1 + q) * x;
        const double df = 2 / (x * x * x) + 2 * q / (u * u * u) + (1 + q);
        double next = x - f / df;
        if (next <= 0) next = x / 2;
        if (next >= 1) next = (x + 1) / 2;
        const bool settled = std::fabs(next - x) < 1e-15;
        x = next;
        if (settled) break;
    }
    return {x, RochePotential(q, {x, 0, 0})};
}

double PolePotential1(double q, double r1) {
    return 1 / r1 + q / std::sqrt(r1 * r1 + 1);
}

double PolePotential2(double q, double r2) {
    return 1 / std::sqrt(1 + r2 * r2) + q / r2 - q + 0.5 * (1 + q);
}

}  // namespace vp::flux
