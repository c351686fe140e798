// The passes over every node and every triangle of a lobe that each direction needs, written
// so that the compiler can use the processor's vector units.
#pragma once

#include <cstddef>
#include <cstdint>

#include "flux/vec3.h"

namespace vp::flux {

// How a triangle stands towards the observer.
enum TriangleState : std::uint8_t {
    kUnseen = 0,         // no corner faces the observer
    kAcrossHorizon = 1,  // one or two corners do
    kFacing = 2,         // all three do
    kHidden = 3,         // something nearer hides it wholly
    kPartlyHidden = 4,   // something nearer hides part of it: counted apart
};

// mu[i] = n_i . w for every node, and facing[i] = 1 where mu > 0, else 0.
void CosinesTowards(std::size_t nodes, const double* nx, const double* ny, const double* nz,
                    double wx, double wy, double wz, double* mu, double* facing);

// Each triangle's state, and weight[t] = 1 for a facing triangle, else 0.
void FacingTriangles(std::size_t triangles, const std::int32_t* corner0,
                     const std::int32_t* corner1, const std::int32_t* corner2, const double* facing,
                     double* weight, std::uint8_t* state);

// sums[c] = sum over t of weight[t] moments[c * triangles + t], for c < components.
void SumWeightedMoments(std::size_t triangles, const double* weight, const double* moments,
                        int components, double* sums);

// The nodes' positions on the sky: along e1 and e2 from origin.
void ProjectOnSky(std::size_t nodes, const double* px, const double* py, const double* pz,
                  Vec3 origin, Vec3 e1, Vec3 e2, double* x, double* y);

// The source triangles of the reflection effect, one array per quantity (see reflection.h).
struct IrradiationArrays {
    const double *cx, *cy, *cz, *nx, *ny, *nz, *spread, *ax, *ay, *az;
    const double *bxx, *bxy, *bxz, *byy, *byz, *bzz;
};

// The bolometric flux over sigma that the source triangles wholly facing a point p (normal n)
// send onto it, with the linear limb-darkening law lin + sq mu; edge[j] is set to the point's
// cosine over the squared distance for a triangle across the horizon seen from p (its part
// that faces p is left to the caller), else 0.
double FacingIrradiance(std::size_t count, const IrradiationArrays& s, Vec3 p, Vec3 n, double lin,
                        double sq, double* edge);
}  // namespace vp::flux
