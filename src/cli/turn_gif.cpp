#include "cli/turn_gif.h"

#include <functional>
#include <iostream>

#include "cli/cli_port.h"
#include "cli/gif_writer.h"
#include "core/atomic_file.h"
#include "core/number_text.h"

namespace vp {
namespace {

constexpr long kMostFrames = 400000;

// Calls frame with the picture at phase 0 and after every animation step until the turn closes.
bool DrawTurn(const CommonOptions& options, const std::function<bool(const Surface&)>& frame,
              std::string& error) {
    ScratchFolder scratch;
    CliPort port(scratch.path, options.verbose ? &std::cerr : nullptr);
    MainForm form(port);
    if (!ApplyOptions(form, options, error)) return false;
    form.chkPhotometry.checked = false;
    form.txtEta.text = "0";
    form.SetChecked(form.AnimCheck, true);
    form.Refresh_Click();
    if (!(Val(form.txtAnimSpeed.text) > 0)) {
        error = "an animation step of " + form.txtAnimSpeed.text + " never completes a turn";
        return false;
    }
    if (!frame(form.picture)) return false;
    for (long t = 0; t < kMostFrames; ++t) {
        form.Timer1_Timer();
        if (form.model.Eta == 0) return true;
        if (!frame(form.picture)) return false;
    }
    error = "the turn did not close within " + std::to_string(kMostFrames) + " frames";
    return false;
}

}  // namespace

bool WriteTurnGif(const CommonOptions& options, const std::string& path, int delayCentiseconds,
                  int& frames, std::string& error) {
    GifPaletteBuilder colours;
    int width = 0, height = 0;
    auto count = [&](const Surface& picture) {
        colours.Add(picture);
        width = picture.Width();
        height = picture.Height();
        return true;
    };
    if (!DrawTurn(options, count, error)) return false;

    GifAnimation animation(width, height, colours.Build(), delayCentiseconds);
    auto store = [&](const Surface& picture) { return animation.AddFrame(picture, error); };
    if (!DrawTurn(options, store, error)) return false;
    frames = static_cast<int>(animation.FrameCount());
    std::string bytes;
    if (!animation.Encode(bytes, error)) return false;
    return WriteFileAtomically(path, bytes, &error);
}

}  // namespace vp
