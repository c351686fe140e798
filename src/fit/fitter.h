// A whole fit: the optimiser from its starts, a finer grid of phases when the fitted stars
// eclipse for longer than the start's, the covariance at the minimum, the statistics of every
// file and, when asked for, the ensemble sampler's posterior.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "fit/ensemble_sampler.h"
#include "fit/optimiser.h"
#include "fit/uncertainties.h"

namespace vp::fit {

struct FitSettings {
    OptimiserSettings optimiser;
    int mcmcSteps = 0;  // 0: no sampler
    int walkers = 0;    // 0: twice the fitted values and two more, at least 16
    int threads = 1;    // the sampler's
};

struct FileStatistics {
    std::size_t points = 0;
    double rms = 0;    // of observed - model, in the file's unit
    double chi2 = 0;   // its share of chi-squared
    double sigma = 0;  // the median error used
};

struct Posterior {
    bool run = false;
    bool interrupted = false;
    int steps = 0, walkers = 0, burnIn = 0;
    double acceptance = 0;
    std::vector<double> median, low, high;     // per quantity: 50th, 16th, 84th percentiles
    std::vector<std::vector<double>> samples;  // [sample][quantity], after the burn-in
};

struct FitOutcome {
    std::vector<double> point;
    FitValues values;
    OptimiserResult optimiser;
    Covariance covariance;
    std::vector<Quantity> quantities;
    std::vector<FileStatistics> files;
    double chi2 = 0;
    std::size_t points = 0;
    Posterior posterior;
    long evaluations = 0;       // of the model, by the optimiser and the covariance
    double seconds = 0;         // the optimiser's
    double samplerSeconds = 0;  // the sampler's
};

// False with a message only when the fit cannot begin (the start cannot be computed).
bool RunFit(FitProblem& problem, const FitSettings& settings,
            const std::function<void(const std::string&)>& progress, FitOutcome& outcome,
            std::string& error);

}  // namespace vp::fit
