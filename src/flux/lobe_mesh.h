// A lobe's surface cut into curved triangles, with everything the light of a phase needs that
// does not depend on the phase: node positions and normals, and per triangle the exact moments
// of its normals over the curved patch and a set of quadrature points.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "flux/lobe.h"
#include "flux/vec3.h"

namespace vp::flux {

// Quadrature points per triangle (the seven-point rule of triangle_rule.h).
inline constexpr int kQuadPoints = 7;

struct LobeMesh {
    Lobe lobe;
    // Nodes: the vertices, then one node on the surface in the middle of every edge. Unit
    // outward normals; positions in the engine frame.
    std::vector<Vec3> position, normal;
    // The same, one array per component, for passes over every node.
    std::array<std::vector<double>, 3> positionAxis, normalAxis;
    std::vector<std::uint8_t> outer;  // the node keeps the lobe's outer potential
    struct Triangle {
        std::array<std::int32_t, 3> v;  // vertices, counter-clockwise seen from outside
        std::array<std::int32_t, 3> m;  // edge nodes: m[0] between v[0] and v[1], m[1] v[1]-v[2],
                                        // m[2] v[2]-v[0]
    };
    std::vector<Triangle> triangles;
    // The triangles' corners again, one array per corner, for passes over all of them.
    std::array<std::vector<std::int32_t>, 3> corner;
    // Per triangle, over the curved patch: its area, and the integrals over the area of the
    // components of n (x y z), n n (xx xy xz yy yz zz) and n n n (xxx xxy xxz xyy xyz xzz yyy
    // yyz yzz zzz): component c of triangle t at moment[c * triangles.size() + t].
    std::vector<double> area;
    std::vector<double> moment;
    static constexpr int kMomentComponents = 19;
    double Moment(int c, std::size_t t) const { return moment[c * triangles.size() + t]; }
    // The four halves of each triangle between its corners and edge nodes (corners 0 3 5,
    // 3 1 4, 5 4 2, 3 4 5 of v[0..2], m[0..2]): each one's share of the triangle's area.
    std::vector<std::array<double, 4>> halfShare;
    // Quadrature points, kQuadPoints per triangle: position, normal and area weight.
    std::vector<Vec3> quadPosition, quadNormal;
    std::vector<double> quadWeight;
    double boundRadius = 0;  // the largest distance of a node from the lobe's centre
};

// Builds the mesh of a lobe with `rings` rings of vertices from its front (the companion's
// side, or the limiting plane of an open lobe) to its back pole.
LobeMesh BuildLobeMesh(const Lobe& lobe, int rings);

}  // namespace vp::flux
