// The files vandrel-cli fit writes when it ends: each through a temporary file renamed into
// place, so that a failed write leaves the old file.
#pragma once

#include <string>

#include "fit/fit_report.h"

namespace vp {

struct FitOutputPaths {
    std::string json, out, curve, plotPng, corner, saveStar;
    bool plotTimes = false;  // the plot's x axis is time
};

// Writes every file asked for; false with the messages of those that failed (the others are
// still written).
bool WriteFitOutputs(const fit::FitProblem& problem, const fit::FitOutcome& outcome,
                     const fit::ReportContext& context, const FitOutputPaths& paths,
                     const std::string& title, std::string& errors);

}  // namespace vp
