// Gravity darkening (von Zeipel): the local effective temperature follows the local surface
// gravity, T proportional to g^(beta / 4); beta is about 1 for radiative envelopes and 0.32 for
// convective ones (Lucy). The star's given temperature is its mean effective temperature, the
// one its whole surface would need to radiate the same bolometric luminosity:
//   integral of T_local^4 over the area = T^4 x area,
// as Wilson-Devinney and PHOEBE take it; the star's luminosity then stays sigma T^4 A whatever
// beta, and a gravity-darkened star is as bright in total as its temperature says. A sphere
// has the same gravity everywhere and so no darkening.
#pragma once

#include <span>

#include "flux/lobe.h"
#include "flux/lobe_mesh.h"

namespace vp::flux {

// The surface gravity at a surface point p of the lobe, as the magnitude of the gradient of
// its potential: for a Roche lobe in units of G M1 / a^2 (the potential is normalised to
// G M1 / a); for the lone rotating star in units of G M / R_pole^2; a sphere has 1 everywhere.
double SurfaceGravity(const Lobe& lobe, Vec3 p);

class GravityDarkening {
  public:
    GravityDarkening() = default;
    // Normalised over the mesh's surface so that the mean of factor^4 over the area is 1.
    GravityDarkening(const LobeMesh& mesh, double beta);
    // The ratio of the local effective temperature at surface point p to the star's.
    double Factor(Vec3 p) const;
    bool Active() const { return beta_ != 0; }

  private:
    Lobe lobe_;
    double beta_ = 0;
    double reference_ = 1;  // the gravity where the local temperature is the star's
};

}  // namespace vp::flux
