// The reflection effect: each star heated by the light of the other. A single reflection:
// every point of one star's surface receives the bolometric light of the surface elements of
// the other star that it sees, and a bolometric albedo A of it heats the point,
//   T^4 = T_own^4 + A F / sigma,
// the heated surface radiating by its new temperature (in every band, with the star's own limb
// darkening). An element and a point see each other when each faces the other (their normals
// turned towards one another); both stars of a detached system are convex, so nothing else can
// stand between them; in a contact envelope a line that crosses the plane of the inner
// Lagrangian point inside the neck runs through the envelope and is hidden.
// Limits: the light that heats is the companion's own (its gravity darkening and spots, before
// any heating of its own), not what it reflects in turn (no second reflection); each source
// triangle sends its light from its centroid in one direction (its patch integrated exactly
// in that direction; a triangle across the source's horizon by the part of it that faces the
// point, its cosine linear between the corners), good while the stars are further apart than
// the triangles are large; the heating is worked out at the mesh's nodes and carried
// quadratically across each triangle (point by point where the companion sets); the heating
// does not change the star's shape, and a star does not heat itself (the concave neck of a
// contact envelope). An eccentric orbit is heated as at its semi-major axis.
#pragma once

#include <span>
#include <vector>

#include "flux/lobe_mesh.h"

namespace vp::flux {

class Irradiator {
  public:
    // The source lobe's own bolometric light: T^4 at each quadrature point (kelvin^4), and its
    // linear bolometric limb-darkening coefficient.
    Irradiator(const LobeMesh& source, std::span<const double> quadT4, double limbDarkening);

    // A contact envelope: lines between the halves that cross the plane x = neckX where the
    // Roche potential (mass ratio q) exceeds `level` run through the envelope.
    void SetNeck(double q, double neckX, double level);

    // Keeps only the source triangles that can face some point of the target lobe (of a
    // sphere about its centre that holds it), for the points that follow.
    void Aim(const LobeMesh& target);

    // F / sigma (kelvin^4): the bolometric flux the source sends onto a point p of the target's
    // surface with outward normal n.
    double FluxAt(Vec3 p, Vec3 n) const;

    // The same for many points of the target's surface, written to out.
    void FluxOnto(std::span<const Vec3> points, std::span<const Vec3> normals,
                  std::span<double> out) const;

  private:
    // The source triangles, one array per quantity: centroid, mean normal, sine of the widest
    // angle of a node's normal from it, the integrals over the patch of I0 n and I0 n n (xx xy
    // xz yy yz zz), the integral of I0, and the corners' normals.
    struct Sources {
        std::vector<double> cx, cy, cz, nx, ny, nz, spread, ax, ay, az;
        std::vector<double> bxx, bxy, bxz, byy, byz, bzz, light;
        std::vector<Vec3> corner;  // three per triangle
        void Add(const Sources& from, std::size_t t);
        std::size_t size() const { return cx.size(); }
    };
    template <bool kNeck>
    double Sum(Vec3 p, Vec3 n, const Sources& sources) const;
    bool Blocked(Vec3 a, Vec3 b) const;
    // A triangle across the horizon seen from the target: the part that faces it, with the
    // cosine linear between the corners.
    double EdgeLight(const Sources& s, std::size_t j, Vec3 u) const;

    Vec3 centre_;
    double bound_ = 0;
    double x_ = 0;  // limb darkening
    Sources all_, aimed_;
    bool neck_ = false;
    double neckQ_ = 1, neckX_ = 0.5, neckLevel_ = 0;
};

}  // namespace vp::flux
