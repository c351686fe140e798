#include "headless/options.h"

#include <algorithm>
#include <charconv>

#include "core/number_text.h"
#include "headless/atlas_names.h"
#include "headless/fit_zoom.h"
#include "headless/option_values.h"

namespace vp {
namespace {

struct BoxOption {
    const char* option;
    const char* box;
    const char* meaning;
};

constexpr BoxOption kBoxOptions[] = {
    {"--q", "Qratio", "mass ratio q = M2/M1"},
    {"--incl", "txtIota", "inclination, degrees"},
    {"--r1", "txtRadius1", "pole radius of star 1 (separation units)"},
    {"--r2", "txtRadius2", "pole radius of star 2"},
    {"--w1", "txtLimb1", "limb-darkening coefficient of star 1"},
    {"--w2", "txtLimb2", "limb-darkening coefficient of star 2"},
    {"--t1", "txtTemp1", "temperature of star 1, K"},
    {"--t2", "txtTemp2", "temperature of star 2, K"},
    {"--lines", "txtN1", "latitude lines of the star mesh"},
    {"--zoom", "txtZoom", "zoom, percent"},
    {"--tilt", "txtGamma", "axis tilt, degrees"},
    {"--eta", "txtEta", "rotation angle (orbital phase), degrees"},
    {"--rotation-period", "txtRotPer", "rotation period of the single star, days"},
    {"--step", "txtAnimSpeed", "animation step, degrees per tick"},
};

struct SwitchOption {
    const char* on;
    const char* off;
    const char* box;
};

constexpr SwitchOption kSwitchOptions[] = {
    {"--tidal", "--no-tidal", "chkSpherical"},
    {"--stefan", "--no-stefan", "chkStefan"},
    {"--similar-areas", "--no-similar-areas", "chkSimAreas"},
};

bool ParseSize(const std::string& text, int& value) {
    int v = 0;
    auto r = std::from_chars(text.data(), text.data() + text.size(), v);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || v < 1 || v > 20000)
        return false;
    value = v;
    return true;
}

}  // namespace

bool ParseCommonOption(const std::vector<std::string>& args, std::size_t& index,
                       CommonOptions& options, bool& known, std::string& error) {
    const std::string& arg = args[index];
    known = true;
    auto value = [&](std::string& out) {
        if (index + 1 >= args.size()) {
            error = "option " + arg + " needs a value";
            return false;
        }
        out = args[index + 1];
        index += 2;
        return true;
    };
    for (const BoxOption& b : kBoxOptions) {
        if (arg == b.option) {
            std::string text;
            if (!value(text)) return false;
            if (text.size() > static_cast<std::size_t>(kParameterTextMaxLength)) {
                error = "option " + arg + ": a text of " + std::to_string(text.size()) +
                        " characters is longer than the " +
                        std::to_string(kParameterTextMaxLength) + " a parameter box holds";
                return false;
            }
            if (!ReadsAsNumber(text))
                options.warnings.push_back(arg + " '" + text +
                                           "' is not a number; the box reads it as " +
                                           FormatNumber(Val(text)) + ", as the window would");
            options.boxes.emplace_back(b.box, text);
            return true;
        }
    }
    for (const SwitchOption& s : kSwitchOptions) {
        if (arg == s.on || arg == s.off) {
            options.switches.emplace_back(s.box, arg == s.on);
            ++index;
            return true;
        }
    }
    if (arg == "--single-star") {
        options.switches.emplace_back("TwoStarsCheck", false);
        ++index;
        return true;
    }
    if (arg == "--star") return value(options.star);
    if (arg == "--load-star") return value(options.loadStar);
    if (arg == "--verbose") {
        options.verbose = true;
        ++index;
        return true;
    }
    if (arg == "--width" || arg == "--height") {
        std::string text;
        if (!value(text)) return false;
        if (!ParseSize(text, arg == "--width" ? options.width : options.height)) {
            error = "option " + arg + " needs a whole number of pixels from 1 to 20000, not '" +
                    text + "'";
            return false;
        }
        return true;
    }
    known = false;
    return true;
}

std::string CommonOptionsHelp() {
    std::string help = "Parameter options (the text is written into the box as if typed):\n";
    for (const BoxOption& b : kBoxOptions) {
        std::string left = std::string("  ") + b.option + " TEXT";
        help += left + std::string(left.size() < 26 ? 26 - left.size() : 1, ' ') + b.meaning + "\n";
    }
    help +=
        "Switches:\n"
        "  --tidal / --no-tidal      Tidal Effects (default on)\n"
        "  --stefan / --no-stefan    Stefan-Boltzmann (default on)\n"
        "  --similar-areas / --no-similar-areas   Similar Areas (default on)\n"
        "  --single-star             Star 2 Active off\n"
        "Systems:\n"
        "  --star NAME               choose an atlas system first: its list entry (\"AW UMa "
        "(106)\")\n"
        "                            or the star alone (\"aw uma\"), any case and blanks\n"
        "  --load-star FILE          load a star parameter file first, as the window's Load Star\n"
        "Picture and output:\n"
        "  --width W --height H      star picture size in pixels (default 832 x 365)\n"
        "  --verbose                 print the texts of message boxes on stderr\n";
    return help;
}

bool ApplyOptions(MainForm& form, const CommonOptions& options, std::string& error) {
    form.clientWidth = options.width + MainForm::kPictureLeft + 10;
    form.clientHeight = options.height + MainForm::kPictureTop + 5 + MainForm::kPlotHeight +
                        MainForm::kPlotButtonHeight;
    if (!options.star.empty()) {
        form.AddStars();
        std::size_t row = 0;
        if (!FindAtlasName(form.StarNameList.items, options.star, row, error)) return false;
        form.StarNameList.listIndex = static_cast<int>(row);
        form.StarNameList_Click();
    }
    if (!options.loadStar.empty()) {
        form.mnuLoad_Click();
        form.txtBMPName.text = options.loadStar;
        form.cmbSaveBMP_Click();
        if (form.frameSaveBMP.visible) {
            error = form.lastError.empty() ? "cannot load " + options.loadStar : form.lastError;
            return false;
        }
    }
    for (const auto& [name, text] : options.boxes) form.FindControl(name)->text = text;
    for (const auto& [name, state] : options.switches) form.FindControl(name)->checked = state;
    if (options.fitZoom && !FitZoomToOrbit(form, options.verbose, error)) return false;
    return true;
}

}  // namespace vp
