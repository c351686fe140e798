// The system the window's model state describes, as the flux engine takes it: the values a
// recompute left (after its corrections) and the window's switches.
#pragma once

#include "flux/binary_system.h"
#include "model/model_state.h"

namespace vp::flux {

struct WindowSwitches {
    bool tidal = true;     // "Tidal Effects"
    bool stefan = true;    // "Stefan-Boltzmann"
    bool twoStars = true;  // "Star 2 Active"
    bool neck = false;     // "Contact Neck", as the recompute set it
};

BinaryParameters FromWindowModel(const ModelState& model, const WindowSwitches& switches);

}  // namespace vp::flux
