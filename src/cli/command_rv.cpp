// vandrel-cli rv: radial velocities of both stars from the flux engine.
#include <cmath>
#include <iostream>

#include "cli/command_line.h"
#include "cli/commands.h"
#include "core/atomic_file.h"
#include "core/number_text.h"
#include "headless/headless_port.h"
#include "headless/precise_model.h"

namespace vp {
namespace {

std::string Field(double v) { return std::isfinite(v) ? FormatNumber(v) : ""; }

std::string VelocityCsv(const std::vector<double>& x, bool times,
                        const std::vector<std::string>& bands,
                        const flux::RadialVelocityCurves& rv) {
    std::string text = times ? "time" : "phase";
    text += ",rv1,rv2";
    for (const std::string& b : bands) text += ",rv1_" + b + ",rv2_" + b;
    text += "\n";
    for (std::size_t i = 0; i < x.size(); ++i) {
        text += FormatNumber(x[i]) + "," + Field(rv.orbit1[i]) + "," + Field(rv.orbit2[i]);
        for (std::size_t b = 0; b < bands.size(); ++b)
            text += "," + Field(rv.star1[b][i]) + "," + Field(rv.star2[b][i]);
        text += "\n";
    }
    return text;
}

}  // namespace

int RunRadialVelocities(const std::vector<std::string>& args) {
    CommonOptions options;
    PreciseRequest request;
    request.bands = {"V"};
    request.periodAlone = true;
    std::string out;
    auto own = [&](const std::vector<std::string>& a, std::size_t& i, std::string& error) {
        if (ParsePreciseOption(a, i, request, error)) return true;
        if (a[i] == "--out") return TakeValue(a, i, out, error) || true;
        return false;
    };
    int exit = ParseCommandLine(
        args, "rv",
        "Usage: vandrel-cli rv --period P (--a A | --m1 M1 --m2 M2) --out FILE.csv [options]\n"
        "Radial velocities from the flux engine, km/s, positive receding: each star's centre of\n"
        "mass (rv1, rv2) and its velocity weighted by its visible light in each band (rv1_BAND,\n"
        "rv2_BAND: the rotation included, so that an eclipse distorts it, the Rossiter-\n"
        "McLaughlin effect; empty where the star shows no light). The stars rotate with the\n"
        "orbit. Default band: V.\n"
        "  --out FILE                the CSV file to write (default: standard output)\n" +
            PreciseOptionsHelp(),
        options, own);
    if (exit >= 0) return exit;
    if (!request.physics.a && !(request.physics.m1 && request.physics.m2)) {
        std::cerr << "vandrel-cli rv: give the separation --a or both masses --m1 and --m2\n";
        return 2;
    }
    if (!request.periodGiven) {
        std::cerr << "vandrel-cli rv: give the period --period (days)\n";
        return 2;
    }
    std::vector<double> x, phases;
    bool times = false;
    std::string error;
    if (!RequestedPoints(request, x, phases, times, error)) {
        std::cerr << "vandrel-cli rv: " << error << "\n";
        return 2;
    }
    ScratchFolder scratch;
    HeadlessPort port(scratch.path, options.verbose ? &std::cerr : nullptr);
    MainForm form(port);
    if (!ApplyOptions(form, options, error)) {
        std::cerr << "vandrel-cli rv: " << error << "\n";
        return 1;
    }
    const auto model = PreciseModel(form, request, error);
    if (!model) {
        std::cerr << "vandrel-cli rv: " << error << "\n";
        return 1;
    }
    flux::RadialVelocityCurves rv;
    try {
        rv = model->RadialVelocities(phases, RequestedScale(request.physics, request.period));
    } catch (const std::exception& e) {
        std::cerr << "vandrel-cli rv: " << e.what() << "\n";
        return 1;
    }
    std::vector<std::string> bands;
    for (const auto& setup : model->Bands()) bands.push_back(setup.band.name);
    const std::string csv = VelocityCsv(x, times, bands, rv);
    if (out.empty()) {
        std::cout << csv;
    } else if (!WriteFileAtomically(out, csv, &error)) {
        std::cerr << "vandrel-cli rv: cannot write " << out << ": " << error << "\n";
        return 1;
    }
    return 0;
}

}  // namespace vp
