#include "headless/frame_cap.h"

#include <cmath>
#include <cstdio>

#include "core/number_text.h"
#include "headless/headless_port.h"

namespace vp {

bool StepWithinFrameCap(const MainForm& form, int turns, std::string& error) {
    const double step = Val(form.txtAnimSpeed.text);
    // Steps of 0 or below never complete a turn; the commands say so on their own terms.
    if (!(step > 0)) return true;
    const double frames = turns * 360.0 / step;
    if (frames <= kMostFramesPerRun * (1 + 1e-9)) return true;
    char count[40] = "more than 1e308";
    if (std::isfinite(frames)) std::snprintf(count, sizeof count, "%.3g", frames);
    char text[240];
    std::snprintf(text, sizeof text,
                  "an animation step of %s degrees would draw %s frames in %d %s; a run draws at "
                  "most %ld frames, so the step must be at least %.4g degrees",
                  form.txtAnimSpeed.text.substr(0, 40).c_str(), count, turns,
                  turns == 1 ? "turn" : "turns", kMostFramesPerRun,
                  turns * 360.0 / kMostFramesPerRun);
    error = text;
    return false;
}

bool OptionsWithinFrameCap(CommonOptions options, int turns, std::string& error) {
    options.fitZoom = false;
    ScratchFolder scratch;
    HeadlessPort port(scratch.path, nullptr);
    MainForm form(port);
    if (!ApplyOptions(form, options, error)) return false;
    form.Refresh_Click();
    return StepWithinFrameCap(form, turns, error);
}

}  // namespace vp
