// One turn of the orbit as a looping animated GIF.
#pragma once

#include <string>

#include "cli/options.h"

namespace vp {

// Draws the turn twice on fresh window objects, first to cut the palette from every frame,
// then to store the frames: phase 0 first, then one frame per animation step. False with a
// message when the options do not apply, the turn does not close or the file cannot be written.
bool WriteTurnGif(const CommonOptions& options, const std::string& path, int delayCentiseconds,
                  int& frames, std::string& error);

}  // namespace vp
