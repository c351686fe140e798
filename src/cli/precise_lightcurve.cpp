#include "cli/precise_lightcurve.h"

#include <iostream>

#include "cli/plot_png.h"
#include "core/atomic_file.h"
#include "headless/headless_port.h"
#include "headless/recording.h"

namespace vp {

bool ComputePreciseCurve(const CommonOptions& options, const PreciseRequest& request,
                         bool magnitudes, PreciseCurve& curve, std::string& title,
                         std::string& subtitle, std::string& error) {
    std::vector<double> phases;
    if (!RequestedPoints(request, curve.x, phases, curve.times, error)) return false;
    ScratchFolder scratch;
    HeadlessPort port(scratch.path, options.verbose ? &std::cerr : nullptr);
    MainForm form(port);
    if (!ApplyOptions(form, options, error)) return false;
    const auto model = PreciseModel(form, request, error);
    if (!model) return false;
    curve.bands.clear();
    curve.wavelength.clear();
    for (const auto& setup : model->Bands()) {
        curve.bands.push_back(setup.band.name);
        curve.wavelength.push_back(setup.band.MeanWavelength());
    }
    curve.value = model->Fluxes(phases);
    curve.magnitudes = magnitudes;
    curve.absolute = request.absolute;
    if (!ScaleCurve(curve, error)) return false;
    title = SystemTitle(form, SystemName(options));
    subtitle = ContactState(form) + ", flux engine, " + std::to_string(request.rings) + " rings; " +
               (magnitudes         ? "magnitudes below each band's brightest point"
                : request.absolute ? "band intensity times separation squared"
                                   : "flux relative to each band's brightest point");
    return true;
}

int RunPreciseLightCurve(const CommonOptions& options, const PreciseRequest& request,
                         bool magnitudes, const std::string& out, const std::string& plotPng,
                         bool plotPhase) {
    PreciseCurve curve;
    std::string title, subtitle, error;
    if (!ComputePreciseCurve(options, request, magnitudes, curve, title, subtitle, error)) {
        std::cerr << "vandrel-cli lightcurve: " << error << "\n";
        return 1;
    }
    if (!out.empty() && !WriteFileAtomically(out, PreciseCsv(curve), &error)) {
        std::cerr << "vandrel-cli lightcurve: cannot write " << out << ": " << error << "\n";
        return 1;
    }
    if (!plotPng.empty()) {
        GuiSession gui;
        PreciseCurve shown = curve;
        if (plotPhase && curve.times) {
            shown.times = false;
            for (double& x : shown.x) x = (x - request.epoch) / request.period;
        }
        if (!WriteBandsPlot(plotPng, shown, PlotText{title, subtitle}, error)) {
            std::cerr << "vandrel-cli lightcurve: cannot write " << plotPng << ": " << error
                      << "\n";
            return 1;
        }
    }
    return 0;
}

}  // namespace vp
