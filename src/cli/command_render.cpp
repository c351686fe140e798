// vandrel-cli render: one recompute, then the star picture saved as a bitmap or a PNG file.
#include <iostream>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/plot_png.h"
#include "headless/headless_port.h"
#include "headless/option_values.h"
#include "headless/picture_mode.h"

namespace vp {

int RunRender(const std::vector<std::string>& args) {
    CommonOptions options;
    std::string out, mode = "paint";
    bool granulation = false;
    auto own = [&](const std::vector<std::string>& a, std::size_t& i, std::string& error) {
        if (a[i] == "--out") return TakeValue(a, i, out, error) || true;
        if (a[i] == "--mode") {
            if (TakeValue(a, i, mode, error) && !IsDrawMode(mode))
                error = "--mode is paint, dots or grid, not '" + mode + "'";
            return true;
        }
        if (a[i] == "--granulation") {
            granulation = true;
            ++i;
            return true;
        }
        if (a[i] == "--fit-zoom") {
            options.fitZoom = true;
            ++i;
            return true;
        }
        return false;
    };
    int exit = ParseCommandLine(args, "render",
                                "Usage: vandrel-cli render --out FILE.bmp|FILE.png [options]\n"
                                "Runs one recompute and saves the star picture as a bitmap, or as\n"
                                "PNG when the name ends in .png.\n"
                                "  --out FILE                the picture to write\n"
                                "  --mode paint|dots|grid    drawing style (default paint)\n"
                                "  --granulation             mottled surfaces\n"
                                "  --fit-zoom                the largest zoom at which the whole\n"
                                "                            orbit stays inside the picture\n",
                                options, own);
    if (exit >= 0) return exit;
    if (out.empty()) {
        std::cerr << "vandrel-cli render: --out FILE is required\n";
        return 2;
    }
    ScratchFolder scratch;
    HeadlessPort port(scratch.path, options.verbose ? &std::cerr : nullptr);
    MainForm form(port);
    std::string problem;
    if (!ApplyOptions(form, options, problem)) {
        std::cerr << "vandrel-cli render: " << problem << "\n";
        return 1;
    }
    SetDrawMode(form, mode, granulation);
    form.Refresh_Click();
    std::string error;
    const bool saved = HasExtension(out, ".png") ? WritePicturePng(form.picture, out, error)
                                                 : form.picture.SaveBitmap(out, &error);
    if (!saved) {
        std::cerr << "vandrel-cli render: cannot write " << out << ": " << error << "\n";
        return 1;
    }
    return 0;
}

}  // namespace vp
