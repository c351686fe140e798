// The light of a set of lobes seen from any direction: the limb-darkened surface brightness
// integrated over every visible part of every lobe, the farther lobe hidden where it lies
// behind the nearer one's disc. Geometry and brightness are fixed when the model is built; a
// direction then costs one pass over the triangles.
#pragma once

#include <array>
#include <cstdint>
#include <limits>
#include <span>
#include <vector>

#include "flux/limb_darkening.h"
#include "flux/lobe_mesh.h"
#include "flux/sky_outline.h"
#include "flux/sky_polygon.h"

namespace vp::flux {

// The products of a direction's components that contract the moment tensors of a mesh.
struct DirectionPowers {
    std::array<double, 3> p1;
    std::array<double, 6> p2;
    std::array<double, 10> p3;
};
DirectionPowers Powers(Vec3 w);

// The surface brightness of one lobe in one band: the intensity at the centre of the disc
// (mu = 1) at every node and quadrature point, or one value for the whole lobe.
struct LobeBrightness {
    bool uniform = true;
    double value = 0;                // when uniform
    std::vector<double> node, quad;  // otherwise, per mesh node and per quadrature point
    // Optional, when not uniform: the brightness-weighted moments of every triangle, laid out
    // as the mesh's `moment` and `lever`, for brightness that changes within a triangle more
    // sharply than its quadrature points tell (a spot's edge). Empty: made from the
    // quadrature points.
    std::vector<double> moment, lever;
    // Optional, with them: finer points of such triangles (those of triangle t from
    // fineBegin[t] to fineBegin[t + 1]; empty: none), their positions, normals and areas times
    // brightness, for the parts across the horizon and the laws that are no polynomial.
    std::vector<std::uint32_t> fineBegin;
    std::vector<Vec3> finePosition, fineNormal;
    std::vector<double> fineLight;
    bool HasFine(std::size_t t) const {
        return !fineBegin.empty() && fineBegin[t] < fineBegin[t + 1];
    }
};

struct BandLight {
    // Per lobe: the law of its star in this band, and its brightness.
    std::vector<LimbDarkening> law;
    std::vector<LobeBrightness> brightness;
};

class FluxModel {
  public:
    FluxModel(std::vector<LobeMesh> lobes, std::vector<BandLight> bands);

    std::size_t BandCount() const { return bands_.size(); }
    const std::vector<LobeMesh>& Lobes() const { return lobes_; }

    // What occluders hid of a partly hidden triangle's lever: ofLever times its own lever and
    // ofLight times its light (the lever of the hidden part measured on the sky).
    struct LeverLoss {
        double ofLight = 0, ofLever = 0;
    };
    // Working memory of one direction at a time; one per thread.
    struct Workspace {
        std::vector<std::vector<double>> mu;  // per lobe and node: the cosine towards the observer
        std::vector<double> facing;           // per node of a lobe: 1 if mu > 0
        // Per lobe and triangle: 1 for a fully visible triangle summed by its moments, else 0;
        // and its state (how many corners face the observer, or hidden).
        std::vector<std::vector<double>> weight;
        std::vector<std::vector<std::uint8_t>> state;
        std::vector<double> skyX, skyY, gap;  // the farther lobe's nodes on the sky
        // Triangles partly hidden: which, and the share of their light still seen, per band.
        struct Partial {
            std::size_t lobe, triangle;
        };
        std::vector<Partial> partial;
        std::vector<double> seen;            // band after band for each partial triangle
        std::vector<LeverLoss> leverLost;    // with the levers: what of their lever is hidden
        std::vector<std::vector<int>> slot;  // per lobe and triangle: its entry, or -1
        std::vector<double> light, arms;
        std::vector<std::uint32_t> candidates;  // triangles an occluder may hide
        std::vector<double> angles;
        SkyOutline outline;
    };

    // The flux in every band for the unit direction w towards the observer, in units of
    // brightness times area (separation squared).
    void Flux(Vec3 w, std::span<double> out, Workspace& work) const;

    // The same with lobe l moved by shift[l] from where its mesh stands (the changing
    // separation of an eccentric orbit).
    using Shifts = std::array<Vec3, 2>;
    void Flux(Vec3 w, const Shifts& shift, std::span<double> out, Workspace& work) const;

    // Each lobe's light apart, light[l * BandCount() + b], and its lever: the same integral
    // over the lobe's visible surface with the intensity weighted by w_y r_x - w_x r_y, r the
    // point's offset from the lobe's centre. A rotation about the z axis at angular velocity
    // Omega moves the point towards the observer at Omega (w_y r_x - w_x r_y), so that the
    // lever over the light is the light-weighted mean velocity of the rotation, in units of
    // Omega times the separation, positive towards the observer.
    void LightAndLever(Vec3 w, const Shifts& shift, std::span<double> light,
                       std::span<double> lever, Workspace& work) const;

    static constexpr std::size_t kMaxBands = 64;

  private:
    // The lever of a direction: w_y, -w_x (the weights of a point's offset along x and y).
    struct Lever {
        double gx = 0, gy = 0;
        double operator()(Vec3 r) const { return gx * r.x + gy * r.y; }
    };
    void Run(Vec3 w, const Shifts& shift, std::span<double> out, std::span<double> light,
             std::span<double> lever, Workspace& work) const;
    // mu, the visible triangles and those across the horizon of lobe l.
    void Face(std::size_t l, Vec3 w, Workspace& work) const;
    // Which triangles of a lobe an occluder may hide: every one, or only those wholly beyond a
    // plane at right angles to `beyond` (a unit vector), Dot(p - centre, beyond) > offset at
    // every node, and not wholly beyond `nextOffset` (left to another plane). With `towards`
    // given, only triangles reaching the side of the centre it points to.
    struct Reach {
        Vec3 beyond{};
        double offset = 0;
        double nextOffset = std::numeric_limits<double>::infinity();
        Vec3 towards{};
    };
    // The parts of an open lobe hidden by the lobe itself.
    void SelfOcclude(std::size_t l, Vec3 w, const Lever* lever, Workspace& work) const;
    static constexpr int kSelfPlanes = 2;
    static constexpr double kSelfPlaneSpacing = 0.2;  // of the lobe's bounding radius
    // Marks the triangles of lobe `back` within reach that the occluder's disc hides, wholly
    // or in part; the occluder stands moved by occluderShift from where the back lobe's mesh
    // stands. With `lever`, also what of their levers is hidden.
    void Occlude(std::size_t back, const Lobe& occluder, double occluderBound,
                 Vec3 occluderShift, const Reach& reach, Vec3 w, const Lever* lever,
                 Workspace& work) const;
    // Adds the light of lobe l's visible triangles and of those across its horizon (and,
    // given leverOut, their lever).
    void LobeLight(std::size_t l, Vec3 w, const DirectionPowers& P, std::span<double> out,
                   Workspace& work, const Lever* lever = nullptr,
                   std::span<double> leverOut = {}) const;
    // Adds to out the light of lobe l's visible triangles and of those across its horizon, or
    // with `lever` their lever.
    void AddVisibleLight(std::size_t l, Vec3 w, const DirectionPowers& P, Workspace& work,
                         const Lever* lever, std::span<double> out) const;
    // The light of triangle t of lobe l in every band as if nothing hid it.
    void TriangleLight(std::size_t l, std::size_t t, const DirectionPowers& P,
                       const std::vector<double>& mu, std::vector<double>& out) const;
    // Its lever.
    void TriangleLever(std::size_t l, std::size_t t, const DirectionPowers& P,
                       const std::vector<double>& mu, const Lever& lever,
                       std::vector<double>& out) const;
    double Brightness(std::size_t b, std::size_t l, std::size_t t) const;

    std::vector<LobeMesh> lobes_;
    std::vector<BandLight> bands_;
    // Per band and lobe: the brightness-weighted moments of every triangle (laid out as the
    // mesh's own), when the lobe's brightness is not uniform and the band's law is a polynomial.
    std::vector<std::vector<std::vector<double>>> weighted_;       // [band][lobe]
    std::vector<std::vector<std::vector<double>>> weightedLever_;  // the same for the levers
    std::vector<double> maxEdge_;                                  // per lobe: the longest edge
    std::vector<double> maxSag_;  // and the furthest an edge's node lies from its chord
    int polyDegree_ = 1;          // highest power of mu the polynomial laws need beyond the first
};

}  // namespace vp::flux
