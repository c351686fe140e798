// The sum, component by component, of the moments of every triangle whose three corners face
// the observer: the light of the fully visible part of a lobe in one pass.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vp::flux {

// facing[i] is 1 for a vertex that faces the observer, 0 otherwise. Writes each triangle's
// weight (1 when its three corners face the observer) to weight[t].
void FacingTriangles(std::size_t triangles, const std::int32_t* corner0,
                     const std::int32_t* corner1, const std::int32_t* corner2, const double* facing,
                     double* weight);

// sums[c] = sum over t of weight[t] moments[c * triangles + t], for c < components.
void SumWeightedMoments(std::size_t triangles, const double* weight, const double* moments,
                        int components, double* sums);

}  // namespace vp::flux
