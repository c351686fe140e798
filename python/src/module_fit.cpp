#include "module_fit.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <thread>

#include "fit/fit_report.h"

namespace vp::python {
namespace {

using Kind = ModuleError::Kind;

void CheckCount(const char* name, long value, long low, long high) {
    if (value < low || value > high)
        throw ModuleError(Kind::Value, std::string(name) + " needs a whole number from " +
                                           std::to_string(low) + " to " + std::to_string(high) +
                                           ", not " + std::to_string(value));
}

void CheckCall(const FitCall& call) {
    const Ephemeris& e = call.start.ephemeris;
    if (e.times) {
        if (!(e.period > 0) || e.period > 1e6)
            throw ModuleError(Kind::Value, "period needs a number above 0 and up to 1e6, not " +
                                               RoundTripText(e.period));
        if (!(std::fabs(e.epoch) <= 1e9))
            throw ModuleError(Kind::Value, "epoch needs a number from -1e9 to 1e9, not " +
                                               RoundTripText(e.epoch));
    }
    CheckCount("starts", call.starts, 1, 100);
    CheckCount("candidates", call.candidates, 0, 10000);
    CheckCount("max_iterations", call.maxIterations, 1, 100000);
    CheckCount("seed", call.seed, 0, 2147483647);
    CheckCount("mcmc_steps", call.mcmcSteps, 0, 1000000);
    if (call.walkers != 0) CheckCount("walkers", call.walkers, 4, 10000);
    if (call.walkers % 2) throw ModuleError(Kind::Value, "walkers needs an even number");
    if (!(call.start.l3 >= -0.2 && call.start.l3 <= 0.95))
        throw ModuleError(Kind::Value, "l3 needs a number from -0.2 to 0.95, not " +
                                           RoundTripText(call.start.l3));
    if (call.observed.empty()) throw ModuleError(Kind::Value, "no observations to fit");
}

}  // namespace

FitRun FitSystem(const ModuleSystem& system, FitCall call,
                 const std::function<void(const std::string&)>& progress,
                 const std::atomic<bool>* interrupt) {
    CheckCall(call);
    std::vector<fit::Dataset> data;
    fit::ReportContext context;
    std::string error;
    if (!ReadFitFiles(call.observed, call.start.ephemeris, data, context.files, error))
        throw ModuleError(error.rfind("cannot read ", 0) == 0 ? Kind::File : Kind::Value, error);
    context.system = system.Figures().name;

    std::unique_ptr<fit::FitProblem> problem;
    system.WithForm([&](MainForm& form) {
        bool usage = false;
        if (!MakeFitProblem(form, std::move(data), call.start, problem, context, error, usage))
            throw ModuleError(Kind::Value, error);
    });

    fit::FitSettings settings;
    settings.optimiser.starts = static_cast<int>(call.starts);
    settings.optimiser.candidates = static_cast<int>(call.candidates);
    settings.optimiser.maxIterations = static_cast<int>(call.maxIterations);
    settings.optimiser.seed = static_cast<unsigned long long>(call.seed);
    settings.optimiser.interrupt = interrupt;
    settings.mcmcSteps = static_cast<int>(call.mcmcSteps);
    settings.walkers = static_cast<int>(call.walkers);
    const int threads = call.start.engine.threads;
    settings.threads =
        threads > 0 ? threads : std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    fit::FitOutcome outcome;
    if (!fit::RunFit(*problem, settings, progress, outcome, error))
        throw ModuleError(Kind::Value, error);

    FitRun run;
    run.json = fit::JsonReport(*problem, outcome, context);
    run.report = fit::TextReport(*problem, outcome, context);
    for (const fit::Quantity& q : outcome.quantities) run.names.push_back(q.name);
    run.samples = outcome.posterior.samples;
    fit::FitValues values;
    std::vector<std::vector<double>> model;
    if (problem->Predict(outcome.point.data(), values, model, error)) {
        run.model = std::move(model);
        for (std::size_t d = 0; d < problem->Data().size(); ++d) {
            std::vector<double> phases;
            for (std::size_t i = 0; i < problem->Data()[d].curve.x.size(); ++i)
                phases.push_back(problem->PhaseOf(d, i, values));
            run.phase.push_back(std::move(phases));
        }
    }
    return run;
}

}  // namespace vp::python
