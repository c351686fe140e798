// One piece of a star's surface as seen from the star's centre: every ray from the centre
// meets it once. A star of a detached system, the half of a contact envelope on one side of
// the inner Lagrangian point, a sphere, or the lone star flattened by its rotation.
#pragma once

#include "flux/vec3.h"

namespace vp::flux {

struct Lobe {
    enum class Kind { Sphere, Roche, Spin };
    Kind kind = Kind::Sphere;
    int star = 1;   // whose temperature and limb darkening the surface carries
    Vec3 centre{};  // the star's centre
    // The lobe's axis: +1 along +x (star 1, towards its companion), -1 along -x (star 2).
    double axis = 1;
    double radius = 0.3;  // Sphere: the radius; Spin: the pole radius
    double q = 1;         // Roche: the mass ratio M2/M1
    // Roche: the potential of the surface on the companion's side of the plane through the
    // centre at right angles to the line of centres, and on the far side. They differ only in
    // the contact envelope, whose neck keeps star 1's potential up to star 2's centre.
    double omegaInner = 0, omegaOuter = 0;
    // Roche: the lobe ends at the plane x = limitX (the inner Lagrangian point's plane). In a
    // contact envelope the rays that reach the plane first end there (`openAtLimit`); in a
    // detached star the surface always lies before it.
    double limitX = 0.5;
    bool openAtLimit = false;
    double spinKappa = 0;  // Spin: omega^2 R^3 / (2 G M) with lengths in pole radii
    // Only part of the solid: where Dot(p - centre, cut) > -cutOffset (cut a unit vector,
    // cutOffset >= 0, so that the part keeps the centre); the zero vector keeps the whole.
    Vec3 cut{};
    double cutOffset = 0;
};

// Which of the two potentials a surface point keeps: by the direction's side of the centre
// plane (Auto), or as given, for the points on the plane itself.
enum class LobeSide { Auto, Inner, Outer };

// The distance from the centre to the surface (or to the limiting plane of an open lobe)
// along the unit direction d. guess (> 0) speeds up the search; 0 means none.
// `onLimit`, when given, tells whether the ray ended on a plane: the limiting plane of an open
// lobe or the plane of a cut.
double LobeExtent(const Lobe& lobe, Vec3 d, double guess = 0, LobeSide side = LobeSide::Auto,
                  bool* onLimit = nullptr);

// The outward unit normal of the lobe's surface at a surface point p.
Vec3 LobeNormal(const Lobe& lobe, Vec3 p);

// The potential of the surface in direction d.
double LobeLevel(const Lobe& lobe, Vec3 d, LobeSide side = LobeSide::Auto);

}  // namespace vp::flux
