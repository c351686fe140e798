// An affine-invariant ensemble sampler (Goodman & Weare's stretch move): walkers in two
// halves, each walker moved along the line through a walker of the other half, so that the
// sampler works as well on long, narrow, tilted posteriors as on round ones. The walkers of a
// half are evaluated on several threads at once.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace vp::fit {

struct SamplerSettings {
    int steps = 100;
    double stretch = 2;  // the scale a of the stretch move
    int threads = 1;
    unsigned long long seed = 1;
    const std::atomic<bool>* interrupt = nullptr;               // set: stop after this step
    std::function<void(int step, double acceptance)> progress;  // after each step
};

struct SamplerRun {
    // Per step, per walker, the position: chain[step][walker][dimension].
    std::vector<std::vector<std::vector<double>>> chain;
    std::vector<std::vector<double>> logProbability;  // [step][walker]
    double acceptance = 0;                            // share of moves taken
    bool interrupted = false;
};

// logProbability returns -infinity outside the support. The walkers start at initial (every
// one with a finite log-probability; an even number, at least four).
void RunEnsemble(const std::function<double(const std::vector<double>&)>& logProbability,
                 const std::vector<std::vector<double>>& initial, const SamplerSettings& settings,
                 SamplerRun& run);

// The value below which a share p of the values lie (linear between order statistics).
double Percentile(std::vector<double> values, double p);

}  // namespace vp::fit
