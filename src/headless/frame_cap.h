// The most frames one run of the tool draws. A turn at an animation step of s degrees takes
// about 360 / s frames; a tiny step would otherwise run for hours (and 360 / s overflows the
// frame counters).
#pragma once

#include <string>

#include "headless/options.h"

namespace vp {

inline constexpr long kMostFramesPerRun = 100000;

// Turns a run may take: a light-curve recording is given five (it completes within four),
// frames take one.
inline constexpr int kRecordingTurns = 5;
inline constexpr int kFramesTurns = 1;

// False with the reason when turns of the window's animation step (the step box as the last
// recompute corrected it) would draw more than kMostFramesPerRun frames.
bool StepWithinFrameCap(const MainForm& form, int turns, std::string& error);

// The same check before a run, on a window object of its own with the options applied (the
// zoom is not fitted: the step does not depend on it).
bool OptionsWithinFrameCap(CommonOptions options, int turns, std::string& error);

}  // namespace vp
