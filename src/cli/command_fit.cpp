// vandrel-cli fit: the system fitted to observed light curves with the flux engine.
#include <algorithm>
#include <cmath>
#include <iostream>
#include <optional>
#include <thread>

#include "headless/headless_port.h"
#include "cli/command_line.h"
#include "cli/commands.h"
#include "headless/fit_inputs.h"
#include "headless/fit_setup.h"
#include "cli/fit_outputs.h"
#include "headless/option_values.h"
#include "headless/physics_options.h"
#include "cli/plot_png.h"
#include "headless/precise_model.h"
#include "headless/recording.h"
#include "core/number_text.h"
#include "core/temporaries.h"
#include "flux/window_system.h"

namespace vp {
namespace {

constexpr const char* kUsage =
    "Usage: vandrel-cli fit --observed FILE --band BAND [--observed FILE2 --band BAND2 ...]\n"
    "                       [--period P --epoch T0] [--free q,incl,r1,r2,t2] [outputs] [options]\n"
    "Fits the flux engine's model of the system to observed light curves by least squares\n"
    "(Levenberg-Marquardt from several starts), starting from the system the other options\n"
    "describe (--star, --load-star, --q, --incl, ...), and reports every fitted parameter with\n"
    "its uncertainty. Each file's zero-point (magnitudes) or flux factor is always fitted.\n"
    "Observations:\n"
    "  --observed FILE           a text file (phase or time, magnitude or flux, optionally the\n"
    "                            error of each value; see 'compare --help') or a TESS or Kepler\n"
    "                            light-curve FITS file (TIME, PDCSAP_FLUX or SAP_FLUX and its\n"
    "                            _ERR, QUALITY; times made BJD); repeat for several files\n"
    "  --band BAND               the band of the file before it: U B V R I u g r i z G BP RP\n"
    "                            TESS Kepler (a FITS file: its telescope's, unless given)\n"
    "  --mag / --flux            the file before it holds magnitudes or fluxes (default: as its\n"
    "                            header says, else magnitudes)\n"
    "  --flux-column NAME        FITS: the flux column (default PDCSAP_FLUX, else SAP_FLUX)\n"
    "  --quality-mask MASK       FITS: rows whose QUALITY has any of these bits are left out\n"
    "                            (default all; 0 keeps every row)\n"
    "  --period P --epoch T0     the files hold times: phase = (t - T0) / P (T0 a BJD for FITS)\n"
    "Without an error column a file's points are weighted by the scatter of points\n"
    "neighbouring in phase.\n"
    "The fit:\n"
    "  --free LIST               parameters to fit, any of q,incl,r1,r2,t2,l3,t0,period,\n"
    "                            gd1,gd2 (0..2), alb1,alb2 (0..1), ecc (0..0.9, detached\n"
    "                            systems only), omega (with ecc free: e cos omega and e sin\n"
    "                            omega are fitted, so a nearly circular orbit is no trouble),\n"
    "                            and for the Nth --spot spotN.lat, spotN.lon, spotN.radius\n"
    "                            (1..90), spotN.tfactor (0.3..2) (default q,incl,r1,r2,t2);\n"
    "                            the others keep their start values\n"
    "  --config KIND             detached, semi-detached (star 2 fills its Roche lobe unless\n"
    "                            the start has star 1 fill it; that radius follows q) or contact\n"
    "                            (both overfill, inside the outer critical surface); default:\n"
    "                            the start's configuration\n"
    "  --l3 X                    start third light: its share of the light at phase 0.25\n"
    "                            (default 0); the model's light becomes (1 - l3) x its own + l3\n"
    "  --starts N                starts run for a few iterations, the best to convergence\n"
    "                            (default 4: the given start and the best of --candidates)\n"
    "  --candidates N            points about the start ranked by chi-squared (default 24)\n"
    "  --max-iterations N        iterations of the run to convergence (default 100)\n"
    "  --seed N                  the random starts and the sampler (default 1)\n"
    "  --mcmc N                  also sample the posterior with an ensemble sampler (affine-\n"
    "                            invariant stretch move) for N steps; the first quarter is\n"
    "                            dropped; reports medians and 16th and 84th percentiles\n"
    "  --walkers N               the sampler's walkers (default 2 x fitted values + 2, >= 16)\n"
    "  --ld-law, --ld1, --ld2, --rings, --threads\n"
    "                            the flux engine's limb darkening and mesh, as in\n"
    "                            'lightcurve --precise'\n"
    "  --gd1, --gd2, --alb1, --alb2, --spot, --ecc, --omega\n"
    "                            gravity darkening, reflection, spots and an eccentric orbit,\n"
    "                            as in 'lightcurve --precise': fixed, or the start of those\n"
    "                            named in --free\n"
    "  --quiet                   no progress on stderr\n"
    "Outputs (the report always goes to stdout):\n"
    "  --json FILE               the report as JSON\n"
    "  --out FILE.csv            every observation: file, band, line, time, phase, observed,\n"
    "                            error, model, residual\n"
    "  --curve FILE.csv          the fitted curve of each file, phase -0.25 to 0.75\n"
    "  --plot-png FILE.png       observations, model and O - C per file\n"
    "  --plot-x phase|time       the plot's x axis (default phase)\n"
    "  --corner FILE.png         with --mcmc: the posterior's corner plot\n"
    "  --save-star FILE          the fitted system as a star file the window loads\n"
    "Exit status: 0 converged; 1 did not converge or failed (the best solution met so far is\n"
    "reported and written); 2 a usage error; 130 interrupted by Ctrl-C (the best solution so\n"
    "far is reported and written; a second Ctrl-C ends at once).\n";

bool ParseCount(const std::string& text, long low, long high, long& value,
                const std::string& option, std::string& error) {
    if (text.empty() || ParseWholeNumber(text, low, high, value)) return true;
    error = option + " needs a whole number from " + std::to_string(low) + " to " +
            std::to_string(high) + ", not '" + text + "'";
    return false;
}

}  // namespace

int RunFit(const std::vector<std::string>& args) {
    CommonOptions options;
    std::vector<FileRequest> files;
    std::string periodText, epochText, freeText, configText, l3Text, startsText, candidatesText,
        iterationsText, seedText, mcmcText, walkersText, plotX = "phase";
    FitOutputPaths paths;
    bool quiet = false;
    PreciseRequest engine;
    PhysicsRequest physics;
    auto own = [&](const std::vector<std::string>& a, std::size_t& i, std::string& error) {
        const std::string& arg = a[i];
        for (const char* o : {"--ld-law", "--ld1", "--ld2", "--rings", "--threads"})
            if (arg == o) return ParsePreciseOption(a, i, engine, error);
        // The physics the model holds fixed; third light is the fit's own --l3.
        for (const char* o : {"--gd1", "--gd2", "--alb1", "--alb2", "--spot", "--ecc", "--omega"})
            if (arg == o) return ParsePhysicsOption(a, i, physics, error);
        if (arg == "--observed") {
            std::string path;
            if (TakeValue(a, i, path, error)) {
                FileRequest request;
                request.path = path;
                files.push_back(request);
            }
            return true;
        }
        // Options that belong to the file named before them.
        auto file = [&]() -> FileRequest* {
            if (files.empty()) {
                error = arg + " belongs to a file: give it after that file's --observed";
                return nullptr;
            }
            return &files.back();
        };
        if (arg == "--band" || arg == "--flux-column" || arg == "--quality-mask") {
            std::string value;
            if (!TakeValue(a, i, value, error)) return true;
            if (FileRequest* f = file()) {
                std::string& slot = arg == "--band"          ? f->band
                                    : arg == "--flux-column" ? f->fluxColumn
                                                             : f->qualityMask;
                if (!slot.empty()) error = arg + " is given twice for " + f->path;
                slot = value;
            }
            return true;
        }
        if (arg == "--mag" || arg == "--flux") {
            ++i;
            if (FileRequest* f = file()) f->magnitudes = arg == "--mag";
            return true;
        }
        if (arg == "--quiet") {
            quiet = true;
            ++i;
            return true;
        }
        const std::pair<const char*, std::string*> values[] = {
            {"--period", &periodText},
            {"--epoch", &epochText},
            {"--free", &freeText},
            {"--config", &configText},
            {"--l3", &l3Text},
            {"--starts", &startsText},
            {"--candidates", &candidatesText},
            {"--max-iterations", &iterationsText},
            {"--seed", &seedText},
            {"--mcmc", &mcmcText},
            {"--walkers", &walkersText},
            {"--json", &paths.json},
            {"--out", &paths.out},
            {"--curve", &paths.curve},
            {"--plot-png", &paths.plotPng},
            {"--plot-x", &plotX},
            {"--corner", &paths.corner},
            {"--save-star", &paths.saveStar}};
        for (const auto& [name, slot] : values)
            if (arg == name) return TakeValue(a, i, *slot, error) || true;
        return false;
    };
    const int exit = ParseCommandLine(args, "fit", kUsage, options, own);
    if (exit >= 0) return exit;
    auto usage = [](const std::string& message) {
        std::cerr << "vandrel-cli fit: " << message << "\n";
        return 2;
    };
    auto failure = [](const std::string& message) {
        std::cerr << "vandrel-cli fit: " << message << "\n";
        return 1;
    };
    if (files.empty()) return usage("--observed FILE is required");

    Ephemeris ephemeris;
    if (!periodText.empty() || !epochText.empty()) {
        if (periodText.empty() || epochText.empty())
            return usage("--period and --epoch go together");
        if (!ParseRealNumber(periodText, ephemeris.period) || !(ephemeris.period > 0) ||
            ephemeris.period > 1e6)
            return usage("--period needs a number above 0 and up to 1e6, not '" + periodText + "'");
        if (!ParseRealNumber(epochText, ephemeris.epoch) || std::fabs(ephemeris.epoch) > 1e9)
            return usage("--epoch needs a number from -1e9 to 1e9, not '" + epochText + "'");
        ephemeris.times = true;
    }
    fit::FitSettings settings;
    long starts = 4, candidates = 24, iterations = 100, seed = 1, mcmc = 0, walkers = 0;
    std::string error;
    if (!ParseCount(startsText, 1, 100, starts, "--starts", error) ||
        !ParseCount(candidatesText, 0, 10000, candidates, "--candidates", error) ||
        !ParseCount(iterationsText, 1, 100000, iterations, "--max-iterations", error) ||
        !ParseCount(seedText, 0, 2147483647, seed, "--seed", error) ||
        !ParseCount(mcmcText, 1, 1000000, mcmc, "--mcmc", error) ||
        !ParseCount(walkersText, 4, 10000, walkers, "--walkers", error))
        return usage(error);
    if (walkers % 2) return usage("--walkers needs an even number");
    double l3 = 0;
    if (!l3Text.empty() && (!ParseRealNumber(l3Text, l3) || l3 < -0.2 || l3 > 0.95))
        return usage("--l3 needs a number from -0.2 to 0.95, not '" + l3Text + "'");
    if (plotX != "phase" && plotX != "time")
        return usage("--plot-x is phase or time, not '" + plotX + "'");
    if (plotX == "time" && !ephemeris.times)
        return usage("--plot-x time needs observations at times (--period P --epoch T0)");
    paths.plotTimes = plotX == "time";
    if (!paths.corner.empty() && mcmc == 0) return usage("--corner goes with --mcmc N");
    std::vector<fit::Parameter> freeList;
    if (!freeText.empty() && !fit::ParseParameterList(freeText, freeList, error))
        return usage("--free: " + error);
    fit::Configuration configuration;
    if (!configText.empty() && !ParseConfiguration(configText, configuration, error))
        return usage(error);

    // The observations.
    std::vector<fit::Dataset> data;
    fit::ReportContext context;
    if (!ReadFitFiles(files, ephemeris, data, context.files, error)) return failure(error);

    // The start: the window's system after the options, as the flux engine takes it.
    ScratchFolder scratch;
    HeadlessPort port(scratch.path, options.verbose ? &std::cerr : nullptr);
    MainForm form(port);
    if (!ApplyOptions(form, options, error)) return failure(error);
    context.system = SystemName(options);
    FitStartRequest request;
    request.engine = engine;
    request.physics = physics;
    request.free = freeList;
    request.configuration = configText;
    request.l3 = l3;
    request.ephemeris = ephemeris;
    std::unique_ptr<fit::FitProblem> made;
    bool requestFault = false;
    if (!MakeFitProblem(form, std::move(data), request, made, context, error, requestFault))
        return requestFault ? usage(error) : failure(error);
    fit::FitProblem& problem = *made;

    InterruptRequest interrupt;
    settings.optimiser.starts = static_cast<int>(starts);
    settings.optimiser.candidates = static_cast<int>(candidates);
    settings.optimiser.maxIterations = static_cast<int>(iterations);
    settings.optimiser.seed = static_cast<unsigned long long>(seed);
    settings.optimiser.interrupt = &interrupt.Flag();
    settings.mcmcSteps = static_cast<int>(mcmc);
    settings.walkers = static_cast<int>(walkers);
    settings.threads = engine.threads > 0
                           ? engine.threads
                           : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    auto progress = [&](const std::string& line) {
        if (!quiet) std::cerr << "vandrel-cli fit: " << line << "\n";
    };
    fit::FitOutcome outcome;
    if (!fit::RunFit(problem, settings, progress, outcome, error)) return failure(error);

    const std::string title =
        (context.system.empty() ? std::string("Fitted system") : "Fitted to " + context.system);
    std::string writeErrors;
    std::optional<GuiSession> gui;
    if (!paths.plotPng.empty() || !paths.corner.empty()) gui.emplace();
    const bool written = WriteFitOutputs(problem, outcome, context, paths, title, writeErrors);
    std::cout << fit::TextReport(problem, outcome, context) << std::flush;
    if (!written) std::cerr << "vandrel-cli fit: " << writeErrors << "\n";
    const bool anyOutput = !paths.json.empty() || !paths.out.empty() || !paths.curve.empty() ||
                           !paths.plotPng.empty() || !paths.corner.empty() ||
                           !paths.saveStar.empty();
    const std::string reported = std::string("the best solution so far is reported") +
                                 (anyOutput && written ? " and written" : "");
    if (outcome.optimiser.interrupted || outcome.posterior.interrupted) {
        std::cerr << "vandrel-cli fit: interrupted; " << reported << "\n";
        return 130;
    }
    if (!fit::FitConverged(outcome)) {
        const std::string& why = outcome.optimiser.message;
        std::cerr << "vandrel-cli fit: the fit did not converge"
                  << (why == "the iterations ran out"
                          ? " within " + std::to_string(iterations) +
                                (iterations == 1 ? " iteration" : " iterations")
                          : " (" + why + ")")
                  << "; " << reported << "\n";
        return 1;
    }
    return written ? 0 : 1;
}

}  // namespace vp
