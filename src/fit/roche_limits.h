// The pole radii at which a star of the Roche model meets its limits, as functions of the mass
// ratio: its Roche lobe (the potential of the inner Lagrangian point) and the outer critical
// surface (the potential of the outer Lagrangian point that opens first), beyond which a
// contact envelope would spill out of the system.
#pragma once

namespace vp::fit {

// The potential of the outer critical surface: the larger of those at L2 and L3.
double OuterCriticalPotential(double q);

// The pole radius of star 1 or 2 whose surface is the Roche lobe.
double LobePoleRadius(int star, double q);
// The pole radius of star 1 or 2 whose surface is the outer critical surface.
double OuterPoleRadius(int star, double q);

}  // namespace vp::fit
