#include "flux/facing_sum.h"

namespace vp::flux {

// The hottest loops of the engine: built for the vector units the processor has.
#if defined(__x86_64__) && !defined(__SANITIZE_ADDRESS__)
#define VANDREL_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define VANDREL_VECTOR_CLONES
#endif

VANDREL_VECTOR_CLONES
void FacingTriangles(std::size_t triangles, const std::int32_t* corner0,
                     const std::int32_t* corner1, const std::int32_t* corner2, const double* facing,
                     double* weight) {
    for (std::size_t t = 0; t < triangles; ++t)
        weight[t] = facing[corner0[t]] * facing[corner1[t]] * facing[corner2[t]];
}

VANDREL_VECTOR_CLONES
void SumWeightedMoments(std::size_t triangles, const double* weight, const double* moments,
                        int components, double* sums) {
    for (int c = 0; c < components; ++c) {
        const double* m = moments + c * triangles;
        double s = 0;
        for (std::size_t t = 0; t < triangles; ++t) s += weight[t] * m[t];
        sums[c] = s;
    }
}

}  // namespace vp::flux
