// vandrel-cli compare: the model's light curve held against an observed one.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <iostream>

#include "headless/headless_port.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "cli/comparison.h"
#include "cli/fit_plot.h"
#include "headless/option_values.h"
#include "cli/plot_png.h"
#include "headless/precise_model.h"
#include "headless/recording.h"
#include "core/atomic_file.h"
#include "core/number_text.h"
#include "flux/passband.h"
#include "fit/observed_text.h"

namespace vp {
namespace {

constexpr const char* kBands[3] = {"red", "green", "blue"};

std::string Shown(double value, const char* format = "%.6g") {
    const int length = std::snprintf(nullptr, 0, format, value);
    if (length <= 0) return "?";
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), format, value);
    text.pop_back();
    return text;
}

}  // namespace

int RunCompare(const std::vector<std::string>& args) {
    CommonOptions options;
    std::string observedPath, periodText, epochText, bandText = "green", plotPng, out,
        plotX = "phase";
    int magnitudes = -1;
    bool picture = false;
    PreciseRequest engine;
    auto own = [&](const std::vector<std::string>& a, std::size_t& i, std::string& error) {
        if (a[i] == "--picture") {
            picture = true;
            ++i;
            return true;
        }
        for (const char* o : {"--ld-law", "--ld1", "--ld2", "--rings", "--threads"})
            if (a[i] == o) return ParsePreciseOption(a, i, engine, error);
        if (a[i] == "--observed") return TakeValue(a, i, observedPath, error) || true;
        if (a[i] == "--period") return TakeValue(a, i, periodText, error) || true;
        if (a[i] == "--epoch") return TakeValue(a, i, epochText, error) || true;
        if (a[i] == "--band") return TakeValue(a, i, bandText, error) || true;
        if (a[i] == "--plot-png") return TakeValue(a, i, plotPng, error) || true;
        if (a[i] == "--plot-x") return TakeValue(a, i, plotX, error) || true;
        if (a[i] == "--out") return TakeValue(a, i, out, error) || true;
        if (a[i] == "--mag" || a[i] == "--flux") {
            magnitudes = a[i] == "--mag";
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
        args, "compare",
        "Usage: vandrel-cli compare --observed FILE [--plot-png FILE.png] [options]\n"
        "Reads an observed light curve, computes the model at the observed phases with the flux\n"
        "engine (or records it from the window's picture with --picture), fits the vertical\n"
        "scale only (a magnitude zero-point or a flux factor) by least squares and prints the\n"
        "residual RMS.\n"
        "  --observed FILE           columns phase (or time) and magnitude (or flux), separated\n"
        "                            by commas, semicolons or blanks; an optional header line;\n"
        "                            '#' starts a comment; further columns are not read;\n"
        "                            magnitudes lie within +-100, fluxes above 0\n"
        "  --period P --epoch T0     the first column holds times: phase = (t - T0) / P\n"
        "  --mag / --flux            the observations are magnitudes or fluxes (default: as the\n"
        "                            header names the column, else magnitudes)\n"
        "  --band BAND               the model's band (default green, the window's colour):\n"
        "                            U B V R I u g r i z G BP RP TESS Kepler red green blue\n"
        "  --ld-law, --ld1, --ld2, --rings, --threads\n"
        "                            the flux engine's limb darkening and mesh, as in\n"
        "                            'lightcurve --precise'\n"
        "  --picture                 the model recorded from the window's picture, as\n"
        "                            'lightcurve' without --precise (red, green or blue only)\n"
        "  --fit-zoom                with --picture: record at the largest zoom at which the\n"
        "                            whole orbit stays inside the picture\n"
        "  --plot-png FILE.png       model and observations, residuals below\n"
        "  --plot-x phase|time       the plot's x axis (default phase; time with --period)\n"
        "  --out FILE.csv            per observation: line, (time,) phase, observed, model,\n"
        "                            residual\n"
        "The model's recording draws at most 100000 frames in five turns: the animation step\n"
        "must be at least 0.018 degrees.\n",
        options, own);
    if (exit >= 0) return exit;
    auto usage = [](const std::string& message) {
        std::cerr << "vandrel-cli compare: " << message << "\n";
        return 2;
    };
    if (observedPath.empty()) return usage("--observed FILE is required");
    fit::ObservedSettings settings;
    settings.magnitudes = magnitudes;
    if (!periodText.empty() || !epochText.empty()) {
        if (periodText.empty() || epochText.empty())
            return usage("--period and --epoch go together");
        if (!ParseRealNumber(periodText, settings.period) || !(settings.period > 0))
            return usage("--period needs a number above 0, not '" + periodText + "'");
        if (!ParseRealNumber(epochText, settings.epoch))
            return usage("--epoch needs a number, not '" + epochText + "'");
        settings.times = true;
    }
    if (plotX != "phase" && plotX != "time")
        return usage("--plot-x is phase or time, not '" + plotX + "'");
    if (plotX == "time" && !settings.times)
        return usage("--plot-x time needs observations at times (--period P --epoch T0)");
    int band = -1;
    for (int b = 0; b < 3; ++b)
        if (bandText == kBands[b]) band = b;
    if (picture && band < 0) return usage("--band is red, green or blue, not '" + bandText + "'");
    if (!picture && options.fitZoom) return usage("--fit-zoom goes with --picture");

    std::string text, error;
    if (!ReadWholeFile(observedPath, text, &error)) {
        std::cerr << "vandrel-cli compare: cannot read " << observedPath << ": " << error << "\n";
        return 1;
    }
    fit::ObservedCurve observed;
    if (!fit::ReadObserved(text, settings, observed, error)) {
        std::cerr << "vandrel-cli compare: " << observedPath << ": " << error << "\n";
        return 1;
    }

    ScratchFolder scratch;
    HeadlessPort port(scratch.path, options.verbose ? &std::cerr : nullptr);
    MainForm form(port);
    // The model over one turn (for the plot) and at every observation.
    std::vector<double> turnPhase, turnValue, atObservations;
    std::string bandName = bandText;
    if (picture) {
        CurveRecording recording;
        if (!RecordCurve(form, options, observed.magnitudes ? 1 : 0, recording, error)) {
            std::cerr << "vandrel-cli compare: " << error << "\n";
            return 1;
        }
        const std::string clipping = ClippingWarning(recording);
        if (!clipping.empty()) std::cerr << "vandrel-cli compare: " << clipping << "\n";
        CurveTable model;
        if (!recording.complete || !ParseCurveFile(recording.csv, recording.magnitudes, model)) {
            std::cerr << "vandrel-cli compare: the model's light curve did not complete (a frame "
                         "without light, "
                         "or an animation step of 0 or below)\n";
            return 1;
        }
        turnPhase = model.phase;
        turnValue = model.value[band];
        for (double phase : observed.phase)
            atObservations.push_back(ModelAt(turnPhase, turnValue, phase));
    } else {
        if (!ApplyOptions(form, options, error)) {
            std::cerr << "vandrel-cli compare: " << error << "\n";
            return 1;
        }
        engine.bands = {bandText};
        const auto model = PreciseModel(form, engine, error);
        if (!model) {
            std::cerr << "vandrel-cli compare: " << error << "\n";
            return 1;
        }
        bandName = model->Bands()[0].band.name;
        for (int k = 0; k < 720; ++k) turnPhase.push_back(k / 720.0);
        std::vector<double> all = turnPhase;
        all.insert(all.end(), observed.phase.begin(), observed.phase.end());
        const std::vector<double> flux = model->Fluxes(all)[0];
        double top = 0;
        for (double f : flux) top = std::max(top, f);
        if (!(top > 0)) {
            std::cerr << "vandrel-cli compare: the system gives no light in band " << bandName
                      << "\n";
            return 1;
        }
        for (std::size_t k = 0; k < flux.size(); ++k) {
            const double relative = flux[k] / top;
            const double v = observed.magnitudes
                                 ? (relative > 0 ? -2.5 * std::log10(relative) : 99.0)
                                 : relative;
            (k < turnPhase.size() ? turnValue : atObservations).push_back(v);
        }
    }
    ScaleFit fit;
    if (!FitScale(atObservations, observed.value, observed.magnitudes, fit)) {
        std::cerr << "vandrel-cli compare: the model's " << bandName
                  << " flux is 0 at every observed phase; no scale fits\n";
        return 1;
    }

    const char* unit = observed.magnitudes ? " mag" : "";
    std::cout << "observations: " << observed.phase.size() << " from " << observedPath;
    if (settings.times)
        std::cout << " (phased with P = " << periodText << ", T0 = " << epochText << ")";
    std::cout << "\nmodel: " << SystemTitle(form, SystemName(options)) << ", " << bandName;
    if (picture)
        std::cout << ", " << turnPhase.size() << " phases\n";
    else
        std::cout << ", flux engine\n";
    if (observed.magnitudes)
        std::cout << "zero-point: " << Shown(fit.scale, "%+.6f")
                  << " mag (observed = model + zero-point)\n";
    else
        std::cout << "flux factor: " << Shown(fit.scale, "%.6g")
                  << " (observed = factor x model)\n";
    std::cout << "residual RMS: " << Shown(fit.rms, "%.6g") << unit << "\n";

    if (!out.empty()) {
        // Times stay beside the phases they were turned into.
        std::string table = settings.times ? "line, time, phase, observed, model, residual\n"
                                           : "line, phase, observed, model, residual\n";
        for (std::size_t i = 0; i < observed.phase.size(); ++i)
            table += std::to_string(observed.line[i]) + ", " +
                     (settings.times ? FormatNumber(observed.x[i]) + ", " : "") +
                     Shown(observed.phase[i], "%.6f") + ", " + Shown(observed.value[i], "%.10g") +
                     ", " +
                     Shown(fit.fitted[i], "%.10g") + ", " + Shown(fit.residual[i], "%.6g") + "\n";
        if (!WriteFileAtomically(out, table, &error)) {
            std::cerr << "vandrel-cli compare: cannot write " << out << ": " << error << "\n";
            return 1;
        }
    }
    if (!plotPng.empty()) {
        const std::string fitted = observed.magnitudes
                                       ? "zero-point " + Shown(fit.scale, "%+.4f") + " mag"
                                       : "flux factor " + Shown(fit.scale, "%.5g");
        const PlotText titles{
            SystemTitle(form, SystemName(options)),
            "the " + bandName + " model against " + std::to_string(observed.phase.size()) +
                " observations: " + fitted + ", residual RMS " + Shown(fit.rms, "%.4g") + unit};
        auto scaled = [&](double v) { return observed.magnitudes ? v + fit.scale : fit.scale * v; };
        GuiSession gui;
        bool drawn;
        if (plotX == "time") {
            // The observations where they were taken, the model across their span.
            FitPlotData data;
            data.times = true;
            data.xLabel = "time";
            FitPanel panel;
            panel.label = bandName;
            panel.magnitudes = observed.magnitudes;
            flux::Band found;
            std::string ignored;
            panel.wavelength = flux::FindBand(bandName, found, ignored) ? found.MeanWavelength()
                                                                        : 550e-9;
            panel.x = observed.x;
            panel.observed = observed.value;
            panel.residual = fit.residual;
            const double first = *std::min_element(observed.x.begin(), observed.x.end());
            const double last = *std::max_element(observed.x.begin(), observed.x.end());
            for (int k = 0; k < 12000; ++k) {
                const double t = first + (last - first) * k / 11999;
                double phase = (t - settings.epoch) / settings.period;
                phase -= std::floor(phase);
                panel.modelX.push_back(t);
                panel.modelY.push_back(scaled(ModelAt(turnPhase, turnValue, phase)));
            }
            data.panels.push_back(std::move(panel));
            drawn = WriteFitPlot(plotPng, data, titles, error);
        } else {
            OverlayData data;
            data.magnitudes = observed.magnitudes;
            data.band = band < 0 ? 1 : band;
            data.modelPhase = turnPhase;
            for (double v : turnValue) data.modelValue.push_back(scaled(v));
            data.phase = observed.phase;
            data.observed = observed.value;
            data.residual = fit.residual;
            drawn = WriteOverlayPlot(plotPng, data, titles, error);
        }
        if (!drawn) {
            std::cerr << "vandrel-cli compare: cannot write " << plotPng << ": " << error << "\n";
            return 1;
        }
    }
    return 0;
}

}  // namespace vp
