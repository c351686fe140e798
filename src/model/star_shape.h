// The surface radius of either star of the binary (the Roche equipotential through its
// pole), and of star 1 alone flattened by its rotation.
#pragma once

#include "model/model_port.h"
#include "model/model_state.h"

namespace vp {

// Radius of star StarNum (1 or 2) in the direction (Phi, Theta), memoised in ShapeMemo
// under the mesh corner (i, j, k). The mass ratio is the MassRatio of the last recompute,
// the value its box held after the correction: every corner, every list and the orbit read
// one and the same value, and the box is not read again per corner.
void StarShape(ModelState& m, int StarNum, double Phi, double Theta, double& QWERTY, double i,
               double j, double k);

// The same calculation without the memo, for mass ratio q.
void SolveStarShape(ModelState& m, int StarNum, double Phi, double Theta, double q, double& QWERTY);

// Radius of the rotating single star, in units of its pole radius; marks star 1 unstable
// through the port when ten passes do not settle it.
void StarSpinRadius(ModelState& m, ModelPort& port, double Phi, double& QWERTY);

}  // namespace vp
