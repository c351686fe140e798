// The seven-point rule on a triangle, exact for polynomials of degree 5: barycentric points and
// weights summing to 1.
#pragma once

#include <array>

namespace vp::flux {

struct TriangleRule {
    static constexpr int kPoints = 7;
    std::array<std::array<double, 3>, kPoints> point;
    std::array<double, kPoints> weight;
};

inline constexpr TriangleRule kDegreeFiveRule = [] {
    const double a1 = 0.059715871789770, b1 = 0.470142064105115;
    const double a2 = 0.797426985353087, b2 = 0.101286507323456;
    const double w0 = 0.225, w1 = 0.132394152788506, w2 = 0.125939180544827;
    return TriangleRule{{{{1.0 / 3, 1.0 / 3, 1.0 / 3},
                          {a1, b1, b1},
                          {b1, a1, b1},
                          {b1, b1, a1},
                          {a2, b2, b2},
                          {b2, a2, b2},
                          {b2, b2, a2}}},
                        {w0, w1, w1, w1, w2, w2, w2}};
}();

}  // namespace vp::flux
