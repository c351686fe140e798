// vandrel-cli lightcurve: the window's light-curve recording, run to its end.
#include <cmath>
#include <filesystem>
#include <iostream>

#include "cli/cli_port.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "core/atomic_file.h"
#include "core/number_text.h"

namespace vp {
int RunLightCurve(const std::vector<std::string>& args) {
    CommonOptions options;
    std::string out, plot;
    int magnitudes = -1;
    auto own = [&](const std::vector<std::string>& a, std::size_t& i, std::string& error) {
        if (a[i] == "--out") return TakeValue(a, i, out, error) || true;
        if (a[i] == "--plot") return TakeValue(a, i, plot, error) || true;
        if (a[i] == "--mag" || a[i] == "--flux") {
            magnitudes = a[i] == "--mag";
            ++i;
            return true;
        }
        return false;
    };
    int exit = ParseCommandLine(
        args, "lightcurve",
        "Usage: vandrel-cli lightcurve --out FILE.csv [options]\n"
        "Records the red, green and blue light curve as the window does (three turns of the\n"
        "orbit, one colour each) and writes the light-curve file to FILE.\n"
        "  --out FILE                the CSV file to write\n"
        "  --plot FILE.bmp           also save the plot picture at the end\n"
        "  --mag / --flux            magnitude scale (default) or flux scale\n",
        options, own);
    if (exit >= 0) return exit;
    if (out.empty()) {
        std::cerr << "vandrel-cli lightcurve: --out FILE is required\n";
        return 2;
    }
    ScratchFolder scratch;
    CliPort port(scratch.path, options.verbose ? &std::cerr : nullptr);
    MainForm form(port);
    std::string error;
    if (!ApplyOptions(form, options, error)) {
        std::cerr << "vandrel-cli lightcurve: " << error << "\n";
        return 1;
    }
    if (magnitudes >= 0) form.chkMag.checked = magnitudes == 1;
    form.txtFilename.text = "lightcurve.csv";

    form.SetChecked(form.chkSave, true);
    const double step = Val(form.txtAnimSpeed.text);
    const long turnTicks = step > 0 ? static_cast<long>(std::ceil(360 / step)) + 1 : 72;
    const long limit = 5 * std::min(turnTicks, 400000L);
    for (long t = 0; t < limit && form.chkSave.checked; ++t) form.Timer1_Timer();
    const bool complete = !form.chkSave.checked;

    const std::string written = scratch.path + "/LightCurves/lightcurve.csv";
    std::string bytes;
    if (ReadWholeFile(written, bytes) && !WriteFileAtomically(out, bytes, &error)) {
        std::cerr << "vandrel-cli lightcurve: cannot write " << out << ": " << error << "\n";
        return 1;
    }
    if (!plot.empty() && !form.plotPicture.SaveBitmap(plot, &error)) {
        std::cerr << "vandrel-cli lightcurve: cannot write " << plot << ": " << error << "\n";
        return 1;
    }
    if (complete && Val(form.txtAnimSpeed.text) == 0)
        std::cerr << "vandrel-cli lightcurve: the animation step is 0, so every frame lies at phase 0 "
                     "and the file holds that one phase only\n";
    if (!complete) {
        std::cerr << "vandrel-cli lightcurve: the recording did not complete within five turns "
                     "(a frame without light, or an animation step of 0 or below); "
                  << (bytes.empty() ? "nothing was written" : "the last file written is in " + out)
                  << "\n";
        return 1;
    }
    return 0;
}

}  // namespace vp
