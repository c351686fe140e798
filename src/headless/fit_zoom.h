// --fit-zoom: the largest zoom at which the whole orbit stays inside the star picture.
#pragma once

#include <string>

#include "shell/main_form.h"

namespace vp {

// Recomputes the system of the boxes and writes into the zoom box, to 0.1 percent below, the
// largest zoom at which no frame of a turn reaches the picture's edge: the phases of the
// window's animation step (those a recording draws) and every degree between (those a picture
// at any other phase shows). The window's phase and light curve are left for the next
// recompute to set. False with a message when no zoom fits (nothing is drawn, or the picture
// is too small). verbose: the zoom chosen is printed on stderr.
bool FitZoomToOrbit(MainForm& form, bool verbose, std::string& error);

}  // namespace vp
