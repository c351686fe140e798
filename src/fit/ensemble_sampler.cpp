#include "fit/ensemble_sampler.h"

#include <algorithm>
#include <cmath>
#include <random>
#include <thread>

namespace vp::fit {

void RunEnsemble(const std::function<double(const std::vector<double>&)>& logProbability,
                 const std::vector<std::vector<double>>& initial, const SamplerSettings& settings,
                 SamplerRun& run) {
    run = SamplerRun();
    const std::size_t walkers = initial.size();
    const std::size_t half = walkers / 2;
    const std::size_t dims = walkers ? initial[0].size() : 0;
    std::vector<std::vector<double>> position = initial;
    std::vector<double> logP(walkers);
    // Every evaluation's random numbers are drawn before the threads start, so that the
    // chain is the same whatever the number of threads.
    auto evaluate = [&](const std::vector<std::vector<double>>& points,
                        std::vector<double>& values) {
        const std::size_t count = points.size();
        const std::size_t threads =
            std::clamp<std::size_t>(static_cast<std::size_t>(settings.threads), 1, count);
        auto work = [&](std::size_t first) {
            for (std::size_t k = first; k < count; k += threads)
                values[k] = logProbability(points[k]);
        };
        std::vector<std::thread> pool;
        for (std::size_t t = 1; t < threads; ++t) pool.emplace_back(work, t);
        work(0);
        for (std::thread& th : pool) th.join();
    };
    evaluate(position, logP);

    std::mt19937_64 random(settings.seed);
    auto uniform = [&] { return static_cast<double>(random() >> 11) * 0x1.0p-53; };
    const double a = settings.stretch;
    long taken = 0, tried = 0;
    for (int step = 0; step < settings.steps; ++step) {
        for (int part = 0; part < 2; ++part) {
            const std::size_t first = part == 0 ? 0 : half;
            const std::size_t count = part == 0 ? half : walkers - half;
            const std::size_t otherFirst = part == 0 ? half : 0;
            const std::size_t otherCount = walkers - count;
            std::vector<std::vector<double>> proposal(count, std::vector<double>(dims));
            std::vector<double> z(count), u(count), proposed(count);
            for (std::size_t k = 0; k < count; ++k) {
                // z from g(z) ~ 1/sqrt(z) on [1/a, a].
                const double r = uniform();
                z[k] = std::pow((a - 1) * r + 1, 2) / a;
                const std::size_t partner =
                    otherFirst +
                    std::min(otherCount - 1, static_cast<std::size_t>(uniform() * otherCount));
                u[k] = uniform();
                const auto& self = position[first + k];
                const auto& other = position[partner];
                for (std::size_t d = 0; d < dims; ++d)
                    proposal[k][d] = other[d] + z[k] * (self[d] - other[d]);
            }
            evaluate(proposal, proposed);
            for (std::size_t k = 0; k < count; ++k) {
                ++tried;
                const double logAccept = (static_cast<double>(dims) - 1) * std::log(z[k]) +
                                         proposed[k] - logP[first + k];
                if (std::isfinite(proposed[k]) && std::log(std::max(u[k], 1e-300)) < logAccept) {
                    position[first + k] = proposal[k];
                    logP[first + k] = proposed[k];
                    ++taken;
                }
            }
        }
        run.chain.push_back(position);
        run.logProbability.push_back(logP);
        run.acceptance = tried ? static_cast<double>(taken) / static_cast<double>(tried) : 0;
        if (settings.progress) settings.progress(step + 1, run.acceptance);
        if (settings.interrupt && settings.interrupt->load()) {
            run.interrupted = true;
            break;
        }
    }
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return NAN;
    std::sort(values.begin(), values.end());
    const double at = std::clamp(p, 0.0, 1.0) * static_cast<double>(values.size() - 1);
    const auto low = static_cast<std::size_t>(std::floor(at));
    const std::size_t high = std::min(low + 1, values.size() - 1);
    return values[low] + (at - static_cast<double>(low)) * (values[high] - values[low]);
}

}  // namespace vp::fit
