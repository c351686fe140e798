// The radius of an equipotential surface about star 1's centre, for a given potential and
// direction.
#pragma once

#include "model/model_port.h"
#include "model/model_state.h"

namespace vp {

// Fixed-point iteration from 0.5; sets IterCount and shows the " 10" message through the
// port when more than ten passes were needed. The last iterate is returned in QWERTY.
void StarRadius(ModelState& m, ModelPort& port, double Omega, double QQ, double ShiftAngle,
                double Phi, double Theta, double& QWERTY);

}  // namespace vp
