// The Roche potential: the inner Lagrangian point and the critical potential.
#pragma once

#include "model/model_state.h"

namespace vp {

// Finds L1Point and OmegaCrit for MassRatio by Newton's method; sets IterCount.
void RochePot(ModelState& m);

}  // namespace vp
