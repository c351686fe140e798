// The flux engine's 721-phase curve as the tool and the Python module ask for it: the system
// read from the window's boxes after a recompute, the band found by its name, the model made
// and the curve computed. System.light_curve runs exactly this below Python, so its cost over
// these figures is what Python adds.
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "headless/headless_port.h"
#include "headless/options.h"
#include "headless/precise_model.h"

namespace vp {
namespace {

void RunWindowCurve(benchmark::State& state, const std::vector<std::string>& args) {
    CommonOptions options;
    std::string error;
    for (std::size_t i = 0; i < args.size();) {
        bool known = true;
        if (!ParseCommonOption(args, i, options, known, error) || !known)
            throw std::invalid_argument(error);
    }
    HeadlessPort port("", nullptr);
    MainForm form(port);
    if (!ApplyOptions(form, options, error)) throw std::invalid_argument(error);
    form.chkPhotometry.checked = false;
    form.Refresh_Click();
    const flux::BinaryParameters parameters = EngineParameters(form);
    PreciseRequest request;
    request.bands = {"V"};
    request.threads = 1;
    const std::vector<double> phases = PhaseGrid(721);
    for (auto _ : state) {
        const auto model = EngineModel(parameters, request, error);
        benchmark::DoNotOptimize(model->Fluxes(phases));
    }
}

// The systems of BM_PreciseCurve721 and BM_PreciseCurve721Roche, given as the window's boxes.
void BM_WindowCurve721(benchmark::State& state) {
    RunWindowCurve(state, {"--q", "1", "--incl", "90", "--r1", "0.2", "--r2", "0.3", "--t1",
                           "6000", "--t2", "6000", "--w1", "0.5", "--w2", "0.5", "--no-tidal"});
}
BENCHMARK(BM_WindowCurve721)->Unit(benchmark::kMillisecond);

void BM_WindowCurve721Roche(benchmark::State& state) {
    RunWindowCurve(state, {"--q", "0.5", "--incl", "82", "--r1", "0.4095", "--r2", "0.2949",
                           "--t1", "8000", "--t2", "6000", "--w1", "0.5", "--w2", "0.5"});
}
BENCHMARK(BM_WindowCurve721Roche)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vp
