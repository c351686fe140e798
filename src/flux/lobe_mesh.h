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
    // The unit ray from the lobe's centre through every node.
    std::vector<Vec3> direction;
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
    // The same moments weighted by the x and then the y offset of the surface from the lobe's
    // centre (2 x 19 components, laid out alike): the lever arms of a rotation about the z axis.
    std::vector<double> lever;
    static constexpr int kLeverComponents = 2 * kMomentComponents;
    // The four halves of each triangle between its corners and edge nodes (corners 0 3 5,
    // 3 1 4, 5 4 2, 3 4 5 of v[0..2], m[0..2]): each one's share of the triangle's area.
    std::vector<std::array<double, 4>> halfShare;
    // Quadrature points, kQuadPoints per triangle: position, normal and area weight.
    std::vector<Vec3> quadPosition, quadNormal;
    std::vector<double> quadWeight;
    double boundRadius = 0;  // the largest distance of a node from the lobe's centre
};

// A point of a triangle's curved patch: position, unit normal, and surface area per unit area
// of the reference triangle (corners (0,0), (1,0), (0,1); area 1/2). Zero area in the sliver
// beyond an open lobe's limiting plane.
struct PatchPoint {
    Vec3 p, n;
    double density = 0;
};

// The point of triangle t's patch at barycentric coordinates b of its corners. `guess` holds
// a radius near the point's (0: none) and is left at the point's radius.
PatchPoint SamplePatch(const LobeMesh& mesh, std::size_t t, const double b[3], double& guess);

// Adds w n^k (k = 1, 2, 3: the 19 components of a mesh's moments) of one point to triangle t
// of component-major moments of nt triangles; and w times the point's offset r from the
// lobe's centre along x and y to lever moments laid out as the mesh's own.
inline void AddPointMoments(std::size_t nt, std::size_t t, Vec3 n, double w, double* moments) {
    double* m = moments + t;
    const double c[3] = {n.x, n.y, n.z};
    int i = 0;
    for (int a = 0; a < 3; ++a) m[nt * i++] += w * c[a];
    for (int a = 0; a < 3; ++a)
        for (int bb = a; bb < 3; ++bb) m[nt * i++] += w * c[a] * c[bb];
    for (int a = 0; a < 3; ++a)
        for (int bb = a; bb < 3; ++bb)
            for (int cc = bb; cc < 3; ++cc) m[nt * i++] += w * c[a] * c[bb] * c[cc];
}
inline void AddPointLever(std::size_t nt, std::size_t t, Vec3 r, Vec3 n, double w, double* lever) {
    AddPointMoments(nt, t, n, w * r.x, lever);
    AddPointMoments(nt, t, n, w * r.y, lever + LobeMesh::kMomentComponents * nt);
}

// Builds the mesh of a lobe with `rings` rings of vertices from its front (the companion's
// side, or the limiting plane of an open lobe) to its back pole.
LobeMesh BuildLobeMesh(const Lobe& lobe, int rings);

}  // namespace vp::flux
