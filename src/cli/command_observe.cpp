// vandrel-cli observe: observations of the model made up as a telescope would take them, with
// noise, in the form compare reads; for trying compare, for examples and for teaching.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>
#include <random>

#include "headless/headless_port.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/comparison.h"
#include "headless/option_values.h"
#include "headless/precise_model.h"
#include "headless/recording.h"
#include "core/atomic_file.h"

namespace vp {
namespace {

constexpr const char* kBands[3] = {"red", "green", "blue"};

// Numbers the same on every machine: the generator's output is fixed by the standard, and
// its conversion to uniform and normal deviates is done here.
class Deviates {
  public:
    explicit Deviates(unsigned long long seed) : engine_(seed) {}
    double Uniform() { return static_cast<double>(engine_() >> 11) * 0x1.0p-53; }
    double Normal() {
        const double u = 1 - Uniform();  // in (0, 1]
        return std::sqrt(-2 * std::log(u)) * std::cos(6.283185307179586 * Uniform());
    }

  private:
    std::mt19937_64 engine_;
};

std::string Shown(double value, const char* format) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

}  // namespace

int RunObserve(const std::vector<std::string>& args) {
    CommonOptions options;
    std::string out, countText = "1000", bandText = "green", periodText, epochText,
                     cyclesText = "100", zeroText = "0", factorText = "1", noiseText = "0",
                     seedText = "1";
    bool flux = false, precise = false, errorColumn = false;
    PreciseRequest engine;
    std::string engineOption;  // the last option of the flux engine given
    auto own = [&](const std::vector<std::string>& a, std::size_t& i, std::string& error) {
        for (const char* o : {"--ld-law", "--ld1", "--ld2", "--rings", "--threads", "--gd1", "--gd2",
                              "--alb1", "--alb2", "--spot", "--l3", "--ecc", "--omega"})
            if (a[i] == o) {
                engineOption = a[i];
                return ParsePreciseOption(a, i, engine, error);
            }
        if (a[i] == "--precise" || a[i] == "--error-column") {
            (a[i] == "--precise" ? precise : errorColumn) = true;
            ++i;
            return true;
        }
        const std::pair<const char*, std::string*> values[] = {{"--out", &out},
                                                               {"--count", &countText},
                                                               {"--band", &bandText},
                                                               {"--period", &periodText},
                                                               {"--epoch", &epochText},
                                                               {"--cycles", &cyclesText},
                                                               {"--zero-point", &zeroText},
                                                               {"--factor", &factorText},
                                                               {"--noise", &noiseText},
                                                               {"--seed", &seedText}};
        for (const auto& [name, value] : values)
            if (a[i] == name) return TakeValue(a, i, *value, error) || true;
        if (a[i] == "--flux" || a[i] == "--mag") {
            flux = a[i] == "--flux";
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
    int exit = ParseCommandLine(
        args, "observe",
        "Usage: vandrel-cli observe --out FILE [options]\n"
        "Records the model's light curve as 'lightcurve' does and writes made-up observations\n"
        "of one colour, with noise, in the form 'compare' reads: a header line naming the\n"
        "columns, then a phase (or time) and a magnitude (or flux) per line.\n"
        "  --out FILE                the file to write\n"
        "  --count N                 observations (default 1000, at most 1000000)\n"
        "  --band red|green|blue     the colour observed (default green)\n"
        "  --period P --epoch T0     times instead of phases, at random over --cycles C\n"
        "                            periods from T0 (default 100), in ascending order\n"
        "  --mag / --flux            magnitudes, observed = model + zero-point (default), or\n"
        "                            fluxes, observed = factor x model\n"
        "  --zero-point M            the magnitude of the brightest point (default 0)\n"
        "  --factor F                the flux of the brightest point (default 1)\n"
        "  --noise S                 Gaussian noise: S magnitudes, or S times the flux\n"
        "                            (default 0)\n"
        "  --seed N                  the same seed gives the same file (default 1)\n"
        "  --error-column            a third column with each value's noise level (magnitudes,\n"
        "                            or the flux times the noise)\n"
        "  --fit-zoom                record the model at the largest zoom at which the whole\n"
        "                            orbit stays inside the picture\n"
        "  --precise                 the model from the flux engine instead of the picture, in\n"
        "                            any band --band names (U B V R I u g r i z G BP RP TESS\n"
        "                            Kepler red green blue), computed at each observation\n"
        "  --ld-law, --ld1, --ld2, --rings, --threads, --gd1, --gd2, --alb1, --alb2, --spot,\n"
        "  --l3, --ecc, --omega      with --precise: as in 'lightcurve --precise'\n"
        "The model's recording draws at most 100000 frames in five turns: the animation step\n"
        "must be at least 0.018 degrees.\n",
        options, own);
    if (exit >= 0) return exit;
    auto usage = [](const std::string& message) {
        std::cerr << "vandrel-cli observe: " << message << "\n";
        return 2;
    };
    if (out.empty()) return usage("--out FILE is required");
    long count = 0, seed = 0;
    double period = 0, epoch = 0, cycles = 0, zeroPoint = 0, factor = 0, noise = 0;
    if (!ParseWholeNumber(countText, 1, 1000000, count))
        return usage("--count needs a whole number from 1 to 1000000, not '" + countText + "'");
    if (!ParseWholeNumber(seedText, 0, 2147483647, seed))
        return usage("--seed needs a whole number from 0 to 2147483647, not '" + seedText + "'");
    int band = -1;
    for (int b = 0; b < 3; ++b)
        if (bandText == kBands[b]) band = b;
    if (band < 0 && !precise)
        return usage("--band is red, green or blue, not '" + bandText +
                     "' (other bands with --precise)");
    if (!precise && !engineOption.empty())
        return usage(engineOption + " concerns the flux engine: give --precise");
    if (precise && options.fitZoom)
        return usage("--fit-zoom concerns the picture; --precise draws none");
    const bool times = !periodText.empty() || !epochText.empty();
    if (times) {
        if (periodText.empty() || epochText.empty())
            return usage("--period and --epoch go together");
        if (!ParseRealNumber(periodText, period) || !(period > 0) || period > 1e6)
            return usage("--period needs a number above 0 and up to 1e6, not '" + periodText + "'");
        if (!ParseRealNumber(epochText, epoch) || std::fabs(epoch) > 1e9)
            return usage("--epoch needs a number from -1e9 to 1e9, not '" + epochText + "'");
    }
    if (!ParseRealNumber(cyclesText, cycles) || !(cycles > 0) || cycles > 1e6)
        return usage("--cycles needs a number above 0 and up to 1e6, not '" + cyclesText + "'");
    if (!ParseRealNumber(zeroText, zeroPoint) || std::fabs(zeroPoint) > 100)
        return usage("--zero-point needs a number from -100 to 100, not '" + zeroText + "'");
    if (!ParseRealNumber(factorText, factor) || !(factor > 0) || factor > 1e15)
        return usage("--factor needs a number above 0 and up to 1e15, not '" + factorText + "'");
    if (!ParseRealNumber(noiseText, noise) || noise < 0 || noise > 10)
        return usage("--noise needs a number from 0 to 10, not '" + noiseText + "'");
    if (errorColumn && !(noise > 0)) return usage("--error-column needs --noise above 0");

    Deviates random(static_cast<unsigned long long>(seed));
    std::vector<double> when(static_cast<std::size_t>(count));
    for (double& w : when) w = random.Uniform() * (times ? cycles : 1);
    std::sort(when.begin(), when.end());

    // The model at every observation: magnitudes below the brightest point, or the flux
    // relative to it.
    ScratchFolder scratch;
    HeadlessPort port(scratch.path, options.verbose ? &std::cerr : nullptr);
    MainForm form(port);
    std::vector<double> value;
    std::string error;
    if (precise) {
        if (!ApplyOptions(form, options, error)) {
            std::cerr << "vandrel-cli observe: " << error << "\n";
            return 1;
        }
        engine.bands = {bandText};
        const auto model = PreciseModel(form, engine, error);
        if (!model) {
            std::cerr << "vandrel-cli observe: " << error << "\n";
            return 1;
        }
        std::vector<double> phases;
        for (int k = 0; k < 720; ++k) phases.push_back(k / 720.0);
        for (double w : when) phases.push_back(w - std::floor(w));
        const std::vector<double> light = model->Fluxes(phases)[0];
        const double top = *std::max_element(light.begin(), light.end());
        if (!(top > 0)) {
            std::cerr << "vandrel-cli observe: the system gives no light in band " << bandText
                      << "\n";
            return 1;
        }
        for (std::size_t k = 720; k < light.size(); ++k) {
            const double relative = light[k] / top;
            if (!flux && !(relative > 0)) {
                std::cerr << "vandrel-cli observe: the light falls to 0 at some phase: no "
                             "magnitude there; use --flux\n";
                return 1;
            }
            value.push_back(flux ? relative : -2.5 * std::log10(relative));
        }
    } else {
        CurveRecording recording;
        if (!RecordCurve(form, options, flux ? 0 : 1, recording, error)) {
            std::cerr << "vandrel-cli observe: " << error << "\n";
            return 1;
        }
        const std::string clipping = ClippingWarning(recording);
        if (!clipping.empty()) std::cerr << "vandrel-cli observe: " << clipping << "\n";
        CurveTable model;
        if (!recording.complete || !ParseCurveFile(recording.csv, recording.magnitudes, model)) {
            std::cerr << "vandrel-cli observe: the model's light curve did not complete (a frame "
                         "without light, or an animation step of 0 or below)\n";
            return 1;
        }
        for (double w : when)
            value.push_back(ModelAt(model.phase, model.value[band], w - std::floor(w)));
    }

    std::string text = std::string(times ? "time" : "phase") + ", " +
                       (flux ? "flux" : "magnitude") + (errorColumn ? ", error" : "") + "\n";
    for (std::size_t k = 0; k < when.size(); ++k) {
        const double w = when[k];
        const double observed = flux ? factor * value[k] * (1 + noise * random.Normal())
                                     : value[k] + zeroPoint + noise * random.Normal();
        text += (times ? Shown(epoch + w * period, "%.6f") : Shown(w, "%.6f")) + ", " +
                Shown(observed, flux ? "%.8g" : "%.5f");
        if (errorColumn) text += ", " + Shown(flux ? factor * value[k] * noise : noise, "%.4g");
        text += "\n";
    }
    if (!WriteFileAtomically(out, text, &error)) {
        std::cerr << "vandrel-cli observe: cannot write " << out << ": " << error << "\n";
        return 1;
    }
    return 0;
}

}  // namespace vp
