// vandrel-cli frames --dir: the window's bitmap frame recording, every frame written into DIR.
#pragma once

#include <string>

#include "headless/options.h"

namespace vp {

// Records one turn as the window's frame recording does and writes each frame into dir under
// the window's name (frame005.bmp ... frame000.bmp) through a temporary file renamed into
// place: a name that is a symbolic link gets the frame in place of the link, and the link's
// target is never written. Returns the exit code: 0 when every frame of the turn was written,
// 1 with the frames missing and why (or the reason nothing could be recorded) on stderr.
int RecordFrameFiles(const CommonOptions& options, const std::string& dir);

}  // namespace vp
