// Whole fits as the tool runs them, on 2000 fluxes in one band with 0.5 % noise, from several
// starts, then the covariance: five free parameters (q, incl, r1, r2, t2) of a detached system
// from a start 10 to 15 % away, and the eccentricity and argument of periastron of an
// eccentric one.
#include <benchmark/benchmark.h>

#include <cmath>

#include "fit/fit_report.h"
#include "fit/fitter.h"
#include "fit/synthetic_observations.h"

namespace vp::fit {
namespace {

// 2000 fluxes of the system at random phases with 0.5 % noise.
Dataset Observed(const flux::BinaryParameters& truth, const flux::BandSetup& band,
                 const flux::EngineOptions& options) {
    const flux::LightCurveModel model(truth, {band}, options);
    testing::SyntheticRequest request;
    request.count = 2000;
    return testing::SyntheticFluxes(model, request);
}

void RunFits(benchmark::State& state, const Dataset& set, const flux::BandSetup& band,
             const ParameterMap& map, const flux::EngineOptions& options) {
    std::string error;
    for (auto _ : state) {
        FitProblem problem({set}, {band}, map, options);
        FitOutcome outcome;
        RunFit(problem, FitSettings(), nullptr, outcome, error);
        if (!FitConverged(outcome)) state.SkipWithError("the fit did not converge");
        state.counters["iterations"] = outcome.optimiser.iterations;
        state.counters["evaluations"] = static_cast<double>(outcome.evaluations);
        state.counters["incl"] = outcome.values.system.incl;
    }
}

void BM_FitFiveParameters2000Points(benchmark::State& state) {
    flux::BinaryParameters truth;
    truth.q = 0.6;
    truth.incl = 86;
    truth.r1 = 0.28;
    truth.r2 = 0.2;
    truth.t1 = 7500;
    truth.t2 = 5200;
    flux::BandSetup band;
    std::string error;
    flux::FindBand("V", band.band, error);
    flux::EngineOptions options;
    options.threads = static_cast<int>(state.range(0));
    const Dataset set = Observed(truth, band, options);

    FitValues start;
    start.system = truth;
    start.system.q *= 1.15;
    start.system.incl *= 0.9;
    start.system.r1 *= 0.87;
    start.system.r2 *= 1.12;
    start.system.t2 *= 1.15;
    MapSettings settings;
    ParseParameterList("q,incl,r1,r2,t2", settings.free, error);
    ParameterMap map;
    std::vector<std::string> notes;
    map.Make(start, settings, error, notes);
    RunFits(state, set, band, map, options);
}
// One thread, and both cores (the tool's default).
BENCHMARK(BM_FitFiveParameters2000Points)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kSecond)
    ->Iterations(1)
    ->UseRealTime();

// An eccentric detached pair (e = 0.2, omega = 60) fitted for e, omega and the inclination
// from a circular start, on both cores.
void BM_FitEccentricOrbit2000Points(benchmark::State& state) {
    flux::BinaryParameters truth;
    truth.q = 0.8;
    truth.incl = 88;
    truth.r1 = 0.12;
    truth.r2 = 0.1;
    truth.t1 = 7000;
    truth.t2 = 5500;
    truth.ecc = 0.2;
    truth.omega = 60;
    flux::BandSetup band;
    std::string error;
    flux::FindBand("V", band.band, error);
    flux::EngineOptions options;
    options.threads = 2;
    const Dataset set = Observed(truth, band, options);
    FitValues start;
    start.system = truth;
    start.system.incl = 86;
    start.system.ecc = 0;
    start.system.omega = 90;
    MapSettings settings;
    ParseParameterList("ecc,omega,incl", settings.free, error);
    ParameterMap map;
    std::vector<std::string> notes;
    map.Make(start, settings, error, notes);
    RunFits(state, set, band, map, options);
}
BENCHMARK(BM_FitEccentricOrbit2000Points)->Unit(benchmark::kSecond)->Iterations(1)->UseRealTime();

}  // namespace
}  // namespace vp::fit
