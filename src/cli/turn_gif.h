// One turn of the orbit as a looping animated GIF.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "headless/options.h"

namespace vp {

struct TurnGifSettings {
    std::string path;
    int delayCentiseconds = 5;
    bool withCurve = false;  // the light curve under the picture, a marker at each frame's phase
    bool stretch = false;    // faint surfaces brightened (see StretchBrightness)
};

// One frame per animation step of the window's turn, starting at light-curve phase 0 (the
// primary eclipse, rotation angle 90 degrees): the turn's phases moved on by a quarter turn.
// A first pass over the turn (every frame, or an even sample of long turns) gathers the
// colours for the palette and the light curve; the second draws and encodes frame by frame.
// False with a message when the options do not apply, the turn does not close or takes more
// than kMostFramesPerRun frames, or the file cannot be written; then the file is left as it was.
bool WriteTurnGif(const CommonOptions& options, const TurnGifSettings& settings, int& frames,
                  std::string& error);

// Brightens faint pixels and keeps their hue: the largest of the three channels, m, becomes
// 255 ln(1 + 100 m / 255) / ln(101) and the other two are scaled with it. A surface at 1% of
// full brightness shows at 15%, one at 10% at 52%; full brightness stays.
void StretchBrightness(const std::uint32_t* from, std::uint32_t* to, std::size_t count);

}  // namespace vp
