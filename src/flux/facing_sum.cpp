#include "flux/facing_sum.h"

#include <cmath>

namespace vp::flux {

// The hottest loops of the engine: built for the vector units the processor has.
#if defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__)
#define VANDREL_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VANDREL_VECTOR_CLONES
#endif

VANDREL_VECTOR_CLONES
void CosinesTowards(std::size_t nodes, const double* nx, const double* ny, const double* nz,
                    double wx, double wy, double wz, double* mu, double* facing) {
    for (std::size_t i = 0; i < nodes; ++i) {
        const double m = nx[i] * wx + ny[i] * wy + nz[i] * wz;
        mu[i] = m;
        facing[i] = m > 0 ? 1.0 : 0.0;
    }
}

VANDREL_VECTOR_CLONES
void FacingTriangles(std::size_t triangles, const std::int32_t* corner0,
                     const std::int32_t* corner1, const std::int32_t* corner2, const double* facing,
                     double* weight, std::uint8_t* state) {
    for (std::size_t t = 0; t < triangles; ++t) {
        const double seen = facing[corner0[t]] + facing[corner1[t]] + facing[corner2[t]];
        weight[t] = seen == 3 ? 1.0 : 0.0;
        state[t] = seen == 3 ? kFacing : seen == 0 ? kUnseen : kAcrossHorizon;
    }
}

VANDREL_VECTOR_CLONES
void SumWeightedMoments(std::size_t triangles, const double* weight, const double* moments,
                        int components, double* sums) {
    for (int c = 0; c < components; ++c) {
        const double* m = moments + c * triangles;
        double s = 0;
#pragma omp simd reduction(+ : s)
        for (std::size_t t = 0; t < triangles; ++t) s += weight[t] * m[t];
        sums[c] = s;
    }
}

VANDREL_VECTOR_CLONES
void ProjectOnSky(std::size_t nodes, const double* px, const double* py, const double* pz,
                  Vec3 origin, Vec3 e1, Vec3 e2, double* x, double* y) {
    for (std::size_t i = 0; i < nodes; ++i) {
        const double dx = px[i] - origin.x, dy = py[i] - origin.y, dz = pz[i] - origin.z;
        x[i] = dx * e1.x + dy * e1.y + dz * e1.z;
        y[i] = dx * e2.x + dy * e2.y + dz * e2.z;
    }
}

VANDREL_VECTOR_CLONES
double FacingIrradiance(std::size_t count, const IrradiationArrays& s, Vec3 p, Vec3 n, double lin,
                        double sq, double* edge) {
    const double *cx = s.cx, *cy = s.cy, *cz = s.cz, *nx = s.nx, *ny = s.ny, *nz = s.nz;
    const double *ax = s.ax, *ay = s.ay, *az = s.az, *spread = s.spread;
    const double *bxx = s.bxx, *bxy = s.bxy, *bxz = s.bxz, *byy = s.byy, *byz = s.byz, *bzz = s.bzz;
    const double px = p.x, py = p.y, pz = p.z, qx = n.x, qy = n.y, qz = n.z;
    double sum = 0;
#pragma omp simd reduction(+ : sum)
    for (std::size_t j = 0; j < count; ++j) {
        const double dx = px - cx[j], dy = py - cy[j], dz = pz - cz[j];
        const double r2 = dx * dx + dy * dy + dz * dz;
        const double inv = 1 / std::sqrt(r2);
        const double ux = dx * inv, uy = dy * inv, uz = dz * inv;
        const double into = -(qx * ux + qy * uy + qz * uz);
        const double cs = nx[j] * ux + ny[j] * uy + nz[j] * uz;
        const double first = ax[j] * ux + ay[j] * uy + az[j] * uz;
        const double second = bxx[j] * ux * ux + byy[j] * uy * uy + bzz[j] * uz * uz +
                              2 * (bxy[j] * ux * uy + bxz[j] * ux * uz + byz[j] * uy * uz);
        const double weight = into > 0 ? into * inv * inv : 0.0;
        const double whole = cs >= spread[j] ? weight : 0.0;
        edge[j] = cs > -spread[j] ? weight - whole : 0.0;
        sum += (lin * first + sq * second) * whole;
    }
    return sum;
}

}  // namespace vp::flux
