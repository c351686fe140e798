// The least-squares fit itself: Levenberg-Marquardt from Ceres Solver within the parameters'
// bounds, from several starts. Candidates scattered about the given start are ranked by their
// chi-squared; the given start and the best candidates are run for a few iterations each, and
// the best of those on to convergence.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "fit/fit_problem.h"

namespace vp::fit {

struct OptimiserSettings {
    int candidates = 24;       // points about the start ranked by chi-squared
    int starts = 4;            // the given start and the best starts - 1 candidates
    int screenIterations = 6;  // iterations of each start before the best is chosen
    int maxIterations = 100;   // of the run to convergence
    unsigned long long seed = 1;
    std::vector<double> from;  // a point to go on from (one start only), instead of the map's
    const std::atomic<bool>* interrupt = nullptr;      // set: stop at the next iteration
    std::function<void(const std::string&)> progress;  // one line per iteration
};

struct OptimiserResult {
    std::vector<double> point;
    double chi2 = 0;
    int iterations = 0;  // over every start
    int bestStart = 1;
    int startsRun = 0;
    bool converged = false;
    bool interrupted = false;
    std::string message;  // how the last run ended
};

// False with a message when not even the given start can be evaluated.
bool Optimise(FitProblem& problem, const OptimiserSettings& settings, OptimiserResult& result,
              std::string& error);

// Candidates about the given start: every free parameter but the ephemeris moved at random by
// up to a quarter of its value (the inclination by up to 8 degrees, third light by 0.1, the
// angles of an orbit and a spot by up to 30 and 15 degrees).
std::vector<std::vector<double>> OtherStarts(const ParameterMap& map, int count,
                                             unsigned long long seed);

}  // namespace vp::fit
