// The radius of a contact system's common envelope about the line of centres.
#pragma once

#include "model/model_state.h"

namespace vp {

// Damped fixed-point iteration from the entry value of Rho at axial position ZC and angle
// Phi about the axis; 0 where the surface does not reach ZC. Memoised in NeckMemo under the
// corner (i, j, k); also leaves the result in PointRadius. The mass ratio is the MassRatio
// of the last recompute, the value its box held after the correction.
void NeckShape(ModelState& m, double& Rho, double Phi, double ZC, double i, double j, double k);

}  // namespace vp
