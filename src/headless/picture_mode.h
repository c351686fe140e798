// The drawing style of the star picture, as the render command and the Python module choose it.
#pragma once

#include <string>

#include "shell/main_form.h"

namespace vp {

// True when mode is one the window draws: paint, dots or grid.
bool IsDrawMode(const std::string& mode);

// Selects the drawing style's option button (dots and grid measure no light: photometry goes
// off) and, with granulation, the mottled surfaces, ready for the next recompute.
void SetDrawMode(MainForm& form, const std::string& mode, bool granulation);

}  // namespace vp
