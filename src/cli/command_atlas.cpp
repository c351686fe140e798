// vandrel-cli atlas, frames and save-star.
#include <iostream>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/frame_files.h"
#include "cli/turn_gif.h"
#include "core/atomic_file.h"
#include "core/number_text.h"
#include "headless/form_star_texts.h"
#include "headless/frame_cap.h"
#include "headless/headless_port.h"
#include "headless/option_values.h"

namespace vp {

int RunAtlas(const std::vector<std::string>& args) {
    CommonOptions options;
    bool header = false;
    auto own = [&](const std::vector<std::string>& a, std::size_t& i, std::string&) {
        if (a[i] != "--header") return false;
        header = true;
        ++i;
        return true;
    };
    int exit =
        ParseCommandLine(args, "atlas",
                         "Usage: vandrel-cli atlas [--header]\n"
                         "Prints the 324 atlas systems, one per line, tab-separated: name, q,\n"
                         "inclination, r1, r2, T1, T2 as the boxes would show them.\n"
                         "  --header                  a first line naming the columns\n",
                         options, own);
    if (exit >= 0) return exit;
    if (header) std::cout << "name\tq\ti\tr1\tr2\tT1\tT2\n";
    ScratchFolder scratch;
    HeadlessPort port(scratch.path, nullptr);
    MainForm form(port);
    form.AddStars();
    for (int i = 1; i <= form.StarCount; ++i) {
        std::cout << form.StarName[i];
        for (double v : {form.StarQ[i], form.StarIota[i], form.StarR1[i], form.StarR2[i],
                         form.StarT1[i], form.StarT2[i]})
            std::cout << '\t' << FormatNumber(v);
        std::cout << '\n';
    }
    return 0;
}

int RunFrames(const std::vector<std::string>& args) {
    CommonOptions options;
    std::string dir, delayText = "5";
    TurnGifSettings gif;
    auto own = [&](const std::vector<std::string>& a, std::size_t& i, std::string& error) {
        if (a[i] == "--dir") return TakeValue(a, i, dir, error) || true;
        if (a[i] == "--gif") return TakeValue(a, i, gif.path, error) || true;
        if (a[i] == "--delay") return TakeValue(a, i, delayText, error) || true;
        bool* flag = a[i] == "--fit-zoom"     ? &options.fitZoom
                     : a[i] == "--with-curve" ? &gif.withCurve
                     : a[i] == "--stretch"    ? &gif.stretch
                                              : nullptr;
        if (flag) {
            *flag = true;
            ++i;
            return true;
        }
        return false;
    };
    int exit = ParseCommandLine(
        args, "frames",
        "Usage: vandrel-cli frames --dir DIR | --gif FILE.gif [options]\n"
        "Records one turn of the orbit, one picture per animation step.\n"
        "  --dir DIR                 bitmaps as the window writes them\n"
        "                            (frame005.bmp ... frame000.bmp)\n"
        "  --gif FILE.gif            a looping animated GIF, starting at light-curve\n"
        "                            phase 0 (the primary eclipse)\n"
        "  --delay CS                time per GIF frame, 1/100 s (default 5)\n"
        "  --with-curve              the GIF shows the light curve under the picture\n"
        "                            with a marker at each frame's phase, and the\n"
        "                            phase written out\n"
        "  --stretch                 the GIF brightens faint surfaces, keeping their\n"
        "                            hue, so a cool companion stays visible (a star\n"
        "                            at 1% of full brightness shows at 15%)\n"
        "  --fit-zoom                the largest zoom at which the whole orbit\n"
        "                            stays inside the picture\n"
        "A run draws at most 100000 frames: the animation step must be at least\n"
        "0.0036 degrees. Files are written through temporary files; a frame\n"
        "name in DIR that is a symbolic link is replaced, its target is never\n"
        "written.\n",
        options, own);
    if (exit >= 0) return exit;
    if (dir.empty() && gif.path.empty()) {
        std::cerr << "vandrel-cli frames: --dir DIR or --gif FILE is required\n";
        return 2;
    }
    if (gif.path.empty() && (gif.withCurve || gif.stretch)) {
        std::cerr << "vandrel-cli frames: --with-curve and --stretch go with --gif\n";
        return 2;
    }
    long delay = 0;
    if (!ParseWholeNumber(delayText, 1, 65535, delay)) {
        std::cerr
            << "vandrel-cli frames: --delay needs a whole number of 1/100 s from 1 to 65535, not '"
            << delayText << "'\n";
        return 2;
    }
    std::string error;
    if (!OptionsWithinFrameCap(options, kFramesTurns, error)) {
        std::cerr << "vandrel-cli frames: " << error << "\n";
        return 1;
    }
    if (!gif.path.empty()) {
        int frames = 0;
        gif.delayCentiseconds = static_cast<int>(delay);
        if (!WriteTurnGif(options, gif, frames, error)) {
            std::cerr << "vandrel-cli frames: "
                      << (error.empty() ? "cannot write " + gif.path : error) << "\n";
            return 1;
        }
        if (options.verbose) std::cerr << frames << " frames written to " << gif.path << "\n";
        if (dir.empty()) return 0;
    }
    return RecordFrameFiles(options, dir);
}

int RunSaveStar(const std::vector<std::string>& args) {
    CommonOptions options;
    std::string out;
    auto own = [&](const std::vector<std::string>& a, std::size_t& i, std::string& error) {
        if (a[i] == "--out") return TakeValue(a, i, out, error) || true;
        return false;
    };
    int exit =
        ParseCommandLine(args, "save-star",
                         "Usage: vandrel-cli save-star --out FILE [options]\n"
                         "Recomputes once and writes the star parameter file of the boxes.\n",
                         options, own);
    if (exit >= 0) return exit;
    if (out.empty()) {
        std::cerr << "vandrel-cli save-star: --out FILE is required\n";
        return 2;
    }
    ScratchFolder scratch;
    HeadlessPort port(scratch.path, options.verbose ? &std::cerr : nullptr);
    MainForm form(port);
    std::string error;
    if (!ApplyOptions(form, options, error)) {
        std::cerr << "vandrel-cli save-star: " << error << "\n";
        return 1;
    }
    form.Refresh_Click();
    if (!WriteFileAtomically(out, StarFileText(FormStarTexts(form)), &error)) {
        std::cerr << "vandrel-cli save-star: cannot write " << out << ": " << error << "\n";
        return 1;
    }
    return 0;
}

}  // namespace vp
