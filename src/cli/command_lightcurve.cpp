// vandrel-cli lightcurve: the window's light-curve recording, run to its end, for one system
// or for every atlas system.
#include <iostream>

#include "cli/atlas_batch.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/plot_png.h"
#include "cli/precise_lightcurve.h"
#include "core/atomic_file.h"
#include "core/number_text.h"
#include "headless/frame_cap.h"
#include "headless/headless_port.h"
#include "headless/option_values.h"
#include "headless/recording.h"

namespace vp {

int RunLightCurve(const std::vector<std::string>& args) {
    CommonOptions options;
    std::string out, plot, plotPng, limitText, jobsText, plotX;
    BatchRequest batch;
    int magnitudes = -1;
    bool precise = false, engineOption = false;
    PreciseRequest request;
    auto own = [&](const std::vector<std::string>& a, std::size_t& i, std::string& error) {
        if (a[i] == "--precise") {
            precise = true;
            ++i;
            return true;
        }
        if (ParsePreciseOption(a, i, request, error)) {
            if (error.empty()) engineOption = true;
            return true;
        }
        if (a[i] == "--out") return TakeValue(a, i, out, error) || true;
        if (a[i] == "--plot") return TakeValue(a, i, plot, error) || true;
        if (a[i] == "--plot-png") return TakeValue(a, i, plotPng, error) || true;
        if (a[i] == "--plot-x") return TakeValue(a, i, plotX, error) || true;
        if (a[i] == "--all-atlas") return TakeValue(a, i, batch.dir, error) || true;
        if (a[i] == "--limit") return TakeValue(a, i, limitText, error) || true;
        if (a[i] == "--jobs") return TakeValue(a, i, jobsText, error) || true;
        if (a[i] == "--only") {
            std::string name;
            if (TakeValue(a, i, name, error)) batch.only.push_back(name);
            return true;
        }
        if (a[i] == "--mag" || a[i] == "--flux" || a[i] == "--plots" || a[i] == "--fit-zoom") {
            if (a[i] == "--plots")
                batch.plots = true;
            else if (a[i] == "--fit-zoom")
                options.fitZoom = true;
            else
                magnitudes = a[i] == "--mag";
            ++i;
            return true;
        }
        return false;
    };
    int exit = ParseCommandLine(
        args, "lightcurve",
        "Usage: vandrel-cli lightcurve --out FILE.csv [--plot-png FILE.png] [options]\n"
        "       vandrel-cli lightcurve --all-atlas DIR [--plots] [options]\n"
        "Records the red, green and blue light curve as the window does (three turns of the\n"
        "orbit, one colour each) and writes the light-curve file to FILE.\n"
        "  --out FILE                the CSV file to write\n"
        "  --plot FILE.bmp           also save the window's plot picture at the end\n"
        "  --plot-png FILE.png       also draw the curves with axes, title and legend\n"
        "  --mag / --flux            magnitude scale (default) or flux scale\n"
        "  --fit-zoom                the largest zoom at which the whole orbit stays inside the\n"
        "                            picture (stars cut by its edge lose light: a warning says\n"
        "                            at how many phases)\n"
        "A run draws at most 100000 frames; a recording may take five turns, so the animation\n"
        "step must be at least 0.018 degrees.\n"
        "Every atlas system:\n"
        "  --all-atlas DIR           one CSV per system in DIR and DIR/index.csv with the\n"
        "                            contact state, the depths of both minima per colour\n"
        "                            (flux scale), their phases and the fraction of phases at\n"
        "                            which the stars were cut by the picture's edge (clipped)\n"
        "  --plots                   also DIR/plots/NAME.png\n"
        "  --only NAME               only this system (repeatable)\n"
        "  --limit N                 only the first N systems\n"
        "  --jobs N                  worker threads (default: one per core)\n"
        "The flux engine instead of the window's picture:\n"
        "  --precise                 the light of the stars' surfaces computed without a\n"
        "                            picture, in real passbands: writes the CSV 'phase,BAND,...'\n"
        "                            (or 'time,...'), flux relative to each band's brightest\n"
        "                            point (default) or --mag, magnitudes below it\n"
        "  --plot-x phase|time       with --times: the plot over time (default) or folded\n"
        "                            over phase\n" +
            PreciseOptionsHelp(),
        options, own);
    if (exit >= 0) return exit;
    if ((engineOption || !plotX.empty()) && !precise) {
        std::cerr << "vandrel-cli lightcurve: the flux engine's options (and --plot-x) go with "
                     "--precise\n";
        return 2;
    }
    if (!limitText.empty() && !ParseWholeNumber(limitText, 0, 1000000, batch.limit)) {
        std::cerr << "vandrel-cli lightcurve: --limit needs a whole number of systems, not '"
                  << limitText << "'\n";
        return 2;
    }
    if (!jobsText.empty() && !ParseWholeNumber(jobsText, 1, 64, batch.jobs)) {
        std::cerr << "vandrel-cli lightcurve: --jobs needs a whole number from 1 to 64, not '"
                  << jobsText << "'\n";
        return 2;
    }
    if (!batch.dir.empty()) {
        const char* clash = !options.star.empty()       ? "--star"
                            : !options.loadStar.empty() ? "--load-star"
                            : !out.empty()              ? "--out"
                            : !plot.empty()             ? "--plot"
                            : !plotPng.empty()          ? "--plot-png"
                                                        : nullptr;
        if (clash) {
            std::cerr << "vandrel-cli lightcurve: " << clash << " does not go with --all-atlas\n";
            return 2;
        }
        std::string error;
        if (!precise && !OptionsWithinFrameCap(options, kRecordingTurns, error)) {
            std::cerr << "vandrel-cli lightcurve: " << error << "\n";
            return 1;
        }
        batch.options = options;
        batch.magnitudes = magnitudes;
        if (precise) batch.precise = &request;
        return RunAtlasBatch(batch);
    }
    if (batch.plots || !batch.only.empty() || !limitText.empty() || !jobsText.empty()) {
        std::cerr
            << "vandrel-cli lightcurve: --plots, --only, --limit and --jobs go with --all-atlas\n";
        return 2;
    }
    if (out.empty() && plotPng.empty()) {
        std::cerr << "vandrel-cli lightcurve: --out FILE or --plot-png FILE is required\n";
        return 2;
    }
    if (precise) {
        if (!plot.empty() || options.fitZoom) {
            std::cerr << "vandrel-cli lightcurve: --plot and --fit-zoom concern the picture; the "
                         "flux engine draws none\n";
            return 2;
        }
        if (!plotX.empty() && plotX != "phase" && plotX != "time") {
            std::cerr << "vandrel-cli lightcurve: --plot-x is phase or time, not '" << plotX
                      << "'\n";
            return 2;
        }
        if (plotX == "time" && request.times.empty()) {
            std::cerr << "vandrel-cli lightcurve: --plot-x time goes with --times FILE\n";
            return 2;
        }
        return RunPreciseLightCurve(options, request, magnitudes == 1, out, plotPng,
                                    plotX == "phase");
    }
    ScratchFolder scratch;
    HeadlessPort port(scratch.path, options.verbose ? &std::cerr : nullptr);
    MainForm form(port);
    std::string error;
    CurveRecording recording;
    if (!RecordCurve(form, options, magnitudes, recording, error)) {
        std::cerr << "vandrel-cli lightcurve: " << error << "\n";
        return 1;
    }
    // Nothing is written unless the recording completed: a failed run leaves the files as they
    // were.
    const std::string& bytes = recording.csv;
    const std::string clipping = ClippingWarning(recording);
    if (!clipping.empty()) std::cerr << "vandrel-cli lightcurve: " << clipping << "\n";
    if (recording.complete && Val(form.txtAnimSpeed.text) == 0)
        std::cerr
            << "vandrel-cli lightcurve: the animation step is 0, so every frame lies at phase 0 "
               "and the file holds that one phase only\n";
    if (!recording.complete) {
        std::cerr << "vandrel-cli lightcurve: the recording did not complete within five turns "
                     "(a frame without light, or an animation step of 0 or below); nothing was "
                     "written\n";
        return 1;
    }
    CurveTable table;
    if (!plotPng.empty() && !ParseCurveFile(bytes, recording.magnitudes, table)) {
        std::cerr << "vandrel-cli lightcurve: the recorded light curve cannot be read back for "
                     "the plot\n";
        return 1;
    }
    if (!out.empty() && !WriteFileAtomically(out, bytes, &error)) {
        std::cerr << "vandrel-cli lightcurve: cannot write " << out << ": " << error << "\n";
        return 1;
    }
    if (!plot.empty() && !form.plotPicture.SaveBitmap(plot, &error)) {
        std::cerr << "vandrel-cli lightcurve: cannot write " << plot << ": " << error << "\n";
        return 1;
    }
    if (!plotPng.empty()) {
        GuiSession gui;
        const PlotText text{SystemTitle(form, SystemName(options)),
                            SystemSubtitle(form, recording.magnitudes)};
        if (!WriteCurvePlot(plotPng, table, text, error)) {
            std::cerr << "vandrel-cli lightcurve: cannot write " << plotPng << ": " << error
                      << "\n";
            return 1;
        }
    }
    return 0;
}

}  // namespace vp
