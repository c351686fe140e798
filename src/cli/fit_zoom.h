// --fit-zoom: the largest zoom at which the whole orbit stays inside the star picture.
#pragma once

#include <string>

#include "shell/main_form.h"

namespace vp {

// Draws the orbit (every 5 degrees, photometry off) at trial zooms and writes the largest zoom
// that keeps every phase off the picture's edge, to 0.1 percent, into the zoom box. The
// window's phase and light curve are left for the next recompute to set. False with a message
// when nothing is drawn at any zoom (black stars), so no zoom can be told. verbose: the zoom
// chosen is printed on stderr.
bool FitZoomToOrbit(MainForm& form, bool verbose, std::string& error);

}  // namespace vp
