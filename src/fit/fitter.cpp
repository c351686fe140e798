#include "fit/fitter.h"

#include <Eigen/Dense>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <limits>
#include <random>

namespace vp::fit {
namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

bool Inside(const ParameterMap& map, const std::vector<double>& x) {
    for (std::size_t k = 0; k < map.Size(); ++k)
        if (!(x[k] >= map.Lower(k) && x[k] <= map.Upper(k))) return false;
    return true;
}

void Sample(FitProblem& problem, const FitSettings& settings,
            const std::function<void(const std::string&)>& progress, FitOutcome& outcome) {
    const std::size_t dims = problem.Parameters();
    const ParameterMap& map = problem.Map();
    // The errors scaled by the reduced chi-squared, as the covariance is.
    const double scale = outcome.covariance.reducedChi2 > 0 ? outcome.covariance.reducedChi2 : 1;
    constexpr double kNever = -std::numeric_limits<double>::infinity();
    auto logProbability = [&](const std::vector<double>& x) {
        if (!Inside(map, x)) return kNever;
        double chi2 = 0;
        if (!problem.ChiSquared(x.data(), 1, chi2)) return kNever;
        return -0.5 * chi2 / scale + LogVolumeFactor(problem, x.data());
    };
    int walkers =
        settings.walkers > 0 ? settings.walkers : std::max(16, 2 * static_cast<int>(dims) + 2);
    walkers += walkers % 2;

    // The walkers start spread as the covariance says (a small ball where it is not known).
    std::mt19937_64 random(settings.optimiser.seed + 7);
    std::normal_distribution<double> normal;
    const auto n = static_cast<Eigen::Index>(dims);
    Eigen::MatrixXd L = Eigen::MatrixXd::Zero(n, n);
    bool haveCovariance = false;
    if (outcome.covariance.determined) {
        const Eigen::Map<
            const Eigen::Matrix<double, Eigen::Dynamic, Eigen::Dynamic, Eigen::RowMajor>>
            C(outcome.covariance.matrix.data(), n, n);
        Eigen::LLT<Eigen::MatrixXd> llt(C);
        if (llt.info() == Eigen::Success) {
            L = llt.matrixL();
            haveCovariance = true;
        }
    }
    std::vector<std::vector<double>> initial;
    for (int w = 0; w < walkers; ++w) {
        std::vector<double> x = outcome.point;
        for (int attempt = 0; attempt < 50; ++attempt) {
            Eigen::VectorXd z(n);
            for (Eigen::Index k = 0; k < n; ++k) z(k) = normal(random);
            Eigen::VectorXd shift = haveCovariance ? Eigen::VectorXd(L * z) : Eigen::VectorXd(z);
            std::vector<double> trial = outcome.point;
            for (std::size_t k = 0; k < dims; ++k) {
                const double s = haveCovariance ? shift(static_cast<Eigen::Index>(k))
                                                : 1e-3 * (k < map.Size() ? map.Step(k) : 1e-3) *
                                                      shift(static_cast<Eigen::Index>(k));
                trial[k] += s;
            }
            if (Inside(map, trial)) {
                x = trial;
                break;
            }
        }
        initial.push_back(x);
    }

    SamplerSettings sampler;
    sampler.steps = settings.mcmcSteps;
    sampler.threads = settings.threads;
    sampler.seed = settings.optimiser.seed + 11;
    sampler.interrupt = settings.optimiser.interrupt;
    const auto started = std::chrono::steady_clock::now();
    sampler.progress = [&](int step, double acceptance) {
        if (!progress) return;
        char line[160];
        std::snprintf(line, sizeof line, "sampler: step %d/%d, acceptance %.2f (%.1f s)", step,
                      settings.mcmcSteps, acceptance, Seconds(started));
        progress(line);
    };
    SamplerRun run;
    RunEnsemble(logProbability, initial, sampler, run);

    Posterior& post = outcome.posterior;
    post.run = true;
    post.interrupted = run.interrupted;
    post.steps = static_cast<int>(run.chain.size());
    post.walkers = walkers;
    post.burnIn = post.steps / 4;
    post.acceptance = run.acceptance;
    std::vector<std::vector<double>> columns(outcome.quantities.size());
    for (int step = post.burnIn; step < post.steps; ++step)
        for (const auto& x : run.chain[static_cast<std::size_t>(step)]) {
            std::vector<double> values;
            if (!QuantityValues(problem, x.data(), values)) continue;
            post.samples.push_back(values);
            for (std::size_t q = 0; q < columns.size() && q < values.size(); ++q)
                columns[q].push_back(values[q]);
        }
    for (const auto& c : columns) {
        post.median.push_back(Percentile(c, 0.5));
        post.low.push_back(Percentile(c, 0.15865525393145707));
        post.high.push_back(Percentile(c, 0.8413447460685429));
    }
}

}  // namespace

bool RunFit(FitProblem& problem, const FitSettings& settings,
            const std::function<void(const std::string&)>& progress, FitOutcome& outcome,
            std::string& error) {
    outcome = FitOutcome();
    const auto started = std::chrono::steady_clock::now();
    OptimiserSettings optimiser = settings.optimiser;
    optimiser.progress = progress;
    if (!Optimise(problem, optimiser, outcome.optimiser, error)) return false;
    outcome.point = outcome.optimiser.point;

    // Stars grown larger than the start's eclipse for longer than the grid's dense stretch
    // covers: a denser grid, and on from where the fit stands.
    FitValues values;
    if (!outcome.optimiser.interrupted && problem.Map().Values(outcome.point.data(), values)) {
        const double needed = EclipseHalfWidth(values.system.r1, values.system.r2);
        if (needed > problem.GridHalfWidth() + 1e-9) {
            if (progress) progress("the eclipses last longer than the start's: a denser grid");
            problem.SetGrid(needed);
            OptimiserSettings again = optimiser;
            again.starts = 1;
            again.from = outcome.point;
            OptimiserResult more;
            if (Optimise(problem, again, more, error)) {
                more.iterations += outcome.optimiser.iterations;
                more.bestStart = outcome.optimiser.bestStart;
                more.startsRun = outcome.optimiser.startsRun;
                outcome.optimiser = more;
                outcome.point = more.point;
            }
        }
    }
    outcome.chi2 = outcome.optimiser.chi2;
    outcome.seconds = Seconds(started);

    if (!outcome.optimiser.interrupted) {
        std::string why;
        if (!ComputeCovariance(problem, outcome.point, outcome.covariance, why))
            outcome.covariance.note = "no covariance: " + why;
    }
    outcome.quantities = Quantities(problem, outcome.point, &outcome.covariance);
    outcome.evaluations = problem.Evaluations();

    std::vector<std::vector<double>> model;
    std::string why;
    if (!problem.Predict(outcome.point.data(), outcome.values, model, why)) {
        error = "the fitted model cannot be computed: " + why;
        return false;
    }
    outcome.chi2 = 0;
    for (std::size_t d = 0; d < problem.Data().size(); ++d) {
        const Dataset& set = problem.Data()[d];
        FileStatistics stats;
        stats.points = set.curve.value.size();
        std::vector<double> sigma = set.sigma;
        std::nth_element(sigma.begin(),
                         sigma.begin() + static_cast<std::ptrdiff_t>(sigma.size() / 2),
                         sigma.end());
        stats.sigma = sigma[sigma.size() / 2];
        for (std::size_t i = 0; i < stats.points; ++i) {
            const double difference = set.curve.value[i] - model[d][i];
            stats.rms += difference * difference;
            stats.chi2 += difference * difference / (set.sigma[i] * set.sigma[i]);
        }
        stats.rms = std::sqrt(stats.rms / static_cast<double>(stats.points));
        outcome.chi2 += stats.chi2;
        outcome.points += stats.points;
        outcome.files.push_back(stats);
    }

    if (settings.mcmcSteps > 0 && !outcome.optimiser.interrupted) {
        const auto sampling = std::chrono::steady_clock::now();
        Sample(problem, settings, progress, outcome);
        outcome.samplerSeconds = Seconds(sampling);
    }
    return true;
}

}  // namespace vp::fit
