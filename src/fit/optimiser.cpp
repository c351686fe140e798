#include "fit/optimiser.h"

#include <ceres/ceres.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>

namespace vp::fit {
namespace {

class Residuals : public ceres::CostFunction {
  public:
    explicit Residuals(FitProblem& problem) : problem_(problem) {
        set_num_residuals(static_cast<int>(problem.Residuals()));
        mutable_parameter_block_sizes()->push_back(static_cast<int>(problem.Parameters()));
    }
    bool Evaluate(double const* const* parameters, double* residuals,
                  double** jacobians) const override {
        return problem_.Evaluate(parameters[0], residuals,
                                 jacobians && jacobians[0] ? jacobians[0] : nullptr, false);
    }

  private:
    FitProblem& problem_;
};

class Watcher : public ceres::IterationCallback {
  public:
    Watcher(const OptimiserSettings& settings, std::string label)
        : settings_(settings), label_(std::move(label)) {}
    ceres::CallbackReturnType operator()(const ceres::IterationSummary& s) override {
        if (settings_.progress) {
            char line[160];
            std::snprintf(line, sizeof line, "%s, iteration %d: chi-squared %.6g (%.1f s)",
                          label_.c_str(), s.iteration, 2 * s.cost, s.cumulative_time_in_seconds);
            settings_.progress(line);
        }
        if (settings_.interrupt && settings_.interrupt->load()) {
            interrupted = true;
            return ceres::SOLVER_TERMINATE_SUCCESSFULLY;
        }
        return ceres::SOLVER_CONTINUE;
    }
    bool interrupted = false;

  private:
    const OptimiserSettings& settings_;
    std::string label_;
};

// Chi-squared counts as settled when an iteration changes it by less than this share.
constexpr double kChiSquaredTolerance = 1e-7;

// How a run ended, in the report's words rather than the solver's.
std::string HowItEnded(const ceres::Solver::Summary& summary) {
    const std::string& m = summary.message;
    auto begins = [&](const char* text) { return m.rfind(text, 0) == 0; };
    if (summary.termination_type == ceres::CONVERGENCE) {
        static_assert(kChiSquaredTolerance == 1e-7, "the words below say 1e-7");
        if (begins("Function tolerance")) return "chi-squared changed by less than 1e-7 of itself";
        if (begins("Gradient tolerance")) return "the gradient of chi-squared vanished";
        if (begins("Parameter tolerance")) return "the steps became negligible";
    }
    if (summary.termination_type == ceres::NO_CONVERGENCE) return "the iterations ran out";
    return m;
}

struct Run {
    double chi2 = INFINITY;
    int iterations = 0;
    bool converged = false;
    bool interrupted = false;
    bool failed = false;
    std::string message;
};

Run Solve(FitProblem& problem, std::vector<double>& point, int iterations,
          const OptimiserSettings& settings, const std::string& label) {
    Residuals residuals(problem);
    ceres::Problem::Options problemOptions;
    problemOptions.cost_function_ownership = ceres::DO_NOT_TAKE_OWNERSHIP;
    ceres::Problem ceresProblem(problemOptions);
    ceresProblem.AddResidualBlock(&residuals, nullptr, point.data());
    const ParameterMap& map = problem.Map();
    for (std::size_t k = 0; k < map.Size(); ++k) {
        ceresProblem.SetParameterLowerBound(point.data(), static_cast<int>(k), map.Lower(k));
        ceresProblem.SetParameterUpperBound(point.data(), static_cast<int>(k), map.Upper(k));
    }
    Watcher watcher(settings, label);
    ceres::Solver::Options options;
    options.trust_region_strategy_type = ceres::LEVENBERG_MARQUARDT;
    options.linear_solver_type = ceres::DENSE_QR;
    options.max_num_iterations = iterations;
    // Chi-squared settles to a part in ten million; the coordinates' own sizes differ too much
    // for a relative step test to mean anything.
    options.function_tolerance = kChiSquaredTolerance;
    options.parameter_tolerance = 1e-10;
    options.gradient_tolerance = 1e-12;
    // Steps are clipped to the bounds; the projected line search Ceres would add costs a
    // whole Jacobian per iteration.
    options.max_num_line_search_step_size_iterations = 0;
    options.logging_type = ceres::SILENT;
    options.minimizer_progress_to_stdout = false;
    options.callbacks.push_back(&watcher);
    options.update_state_every_iteration = false;
    ceres::Solver::Summary summary;
    ceres::Solve(options, &ceresProblem, &summary);
    Run run;
    run.chi2 = 2 * summary.final_cost;
    run.iterations = summary.num_successful_steps + summary.num_unsuccessful_steps;
    run.interrupted = watcher.interrupted;
    run.converged = summary.termination_type == ceres::CONVERGENCE && !run.interrupted;
    run.failed = summary.termination_type == ceres::FAILURE ||
                 summary.termination_type == ceres::USER_FAILURE || !summary.IsSolutionUsable();
    run.message = HowItEnded(summary);
    return run;
}

}  // namespace

std::vector<std::vector<double>> OtherStarts(const ParameterMap& map, int count,
                                             unsigned long long seed) {
    std::mt19937_64 random(seed);
    auto uniform = [&](double half) {
        return (static_cast<double>(random() >> 11) * 0x1.0p-53 * 2 - 1) * half;
    };
    std::vector<std::vector<double>> starts;
    for (int s = 0; s < count; ++s) {
        FitValues v = map.Start();
        for (Parameter p : map.FreeList()) {
            switch (p.kind) {
                case Parameter::Incl:
                    v.system.incl = std::min(90.0, v.system.incl + uniform(8));
                    break;
                case Parameter::L3:
                    v.l3 += uniform(0.1);
                    break;
                case Parameter::T0:
                case Parameter::Period:
                    break;
                // Those that may start at 0: moved by a share of their range as well.
                case Parameter::Gd1:
                case Parameter::Gd2:
                case Parameter::Alb1:
                case Parameter::Alb2:
                    v.Set(p, std::max(0.0, v.Get(p) * (1 + uniform(0.25)) + uniform(0.1)));
                    break;
                case Parameter::Ecc:
                    v.system.ecc = std::max(0.0, v.system.ecc * (1 + uniform(0.25)) + uniform(0.02));
                    break;
                case Parameter::Omega:
                    v.system.omega += uniform(30);
                    break;
                case Parameter::SpotLatitude:
                case Parameter::SpotLongitude:
                    v.Set(p, v.Get(p) + uniform(15));
                    break;
                case Parameter::SpotFactor:
                    v.Set(p, v.Get(p) + uniform(0.1));
                    break;
                default:
                    v.Set(p, v.Get(p) * (1 + uniform(0.25)));
                    break;
            }
        }
        starts.push_back(map.Coordinates(v));
    }
    return starts;
}

bool Optimise(FitProblem& problem, const OptimiserSettings& settings, OptimiserResult& result,
              std::string& error) {
    result = OptimiserResult();
    const int starts = std::max(1, settings.starts);
    std::vector<std::vector<double>> coordinates = {problem.Map().StartCoordinates()};
    if (starts > 1 && settings.from.empty()) {
        // The candidates' chi-squared, each with the scales that fit it best.
        std::vector<std::pair<double, std::vector<double>>> ranked;
        int done = 0;
        for (auto& candidate :
             OtherStarts(problem.Map(), std::max(settings.candidates, starts - 1), settings.seed)) {
            if (settings.interrupt && settings.interrupt->load()) break;
            std::vector<double> point;
            std::string why;
            double chi2 = 0;
            if (problem.StartPoint(candidate, point, why, &chi2))
                ranked.emplace_back(chi2, std::move(candidate));
            if (settings.progress)
                settings.progress("candidate starts: " + std::to_string(++done) + " computed");
        }
        std::sort(ranked.begin(), ranked.end(),
                  [](const auto& a, const auto& b) { return a.first < b.first; });
        for (std::size_t k = 0; k < ranked.size() && coordinates.size() < std::size_t(starts); ++k)
            coordinates.push_back(ranked[k].second);
    }
    std::vector<double> best;
    double bestChi2 = INFINITY;
    const int count = static_cast<int>(coordinates.size());
    for (int s = 0; s < count; ++s) {
        if (settings.interrupt && settings.interrupt->load()) break;
        std::vector<double> point = settings.from;
        std::string why;
        if (point.size() != problem.Parameters() &&
            !problem.StartPoint(coordinates[s], point, why)) {
            if (s == 0) {
                error = "the start cannot be computed: " + why;
                return false;
            }
            if (settings.progress)
                settings.progress("start " + std::to_string(s + 1) + " cannot be computed: " + why);
            continue;
        }
        ++result.startsRun;
        if (count == 1) {
            best = point;
            break;
        }
        const Run run = Solve(problem, point, settings.screenIterations, settings,
                              "start " + std::to_string(s + 1) + "/" + std::to_string(count));
        result.iterations += run.iterations;
        if (!run.failed && run.chi2 < bestChi2) {
            bestChi2 = run.chi2;
            best = point;
            result.bestStart = s + 1;
        }
        if (run.interrupted) result.interrupted = true;
    }
    if (best.empty()) {
        // Every start failed at once: go on from the given one, so that the last run says why.
        std::string why;
        problem.StartPoint(coordinates[0], best, why);
    }
    if (!result.interrupted && !(settings.interrupt && settings.interrupt->load())) {
        const Run run = Solve(
            problem, best, settings.maxIterations, settings,
            count == 1 ? std::string("fit") : "best start " + std::to_string(result.bestStart));
        result.iterations += run.iterations;
        result.converged = run.converged;
        result.interrupted = run.interrupted;
        result.message = run.message;
    } else {
        result.interrupted = true;
        result.message = "interrupted";
    }
    // The best point met is the answer, whether the runs ended or not.
    const std::vector<double> met = problem.BestPoint();
    result.point = met.empty() ? best : met;
    result.chi2 = problem.BestChiSquared();
    return true;
}

}  // namespace vp::fit
