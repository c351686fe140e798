// What a fit says when it ends: the report on the terminal and the same as JSON.
#pragma once

#include <string>
#include <vector>

#include "fit/fitter.h"

namespace vp::fit {

// What the report says about each file besides its statistics.
struct FileSummary {
    std::string source;
    std::string band;
    std::string errors;  // "the file's errors", "the scatter of neighbouring points", ...
    std::string notes;   // e.g. the FITS rows left out
};

struct ReportContext {
    std::string system;  // the start's name, if any
    std::vector<FileSummary> files;
    std::vector<std::string> notes;  // about the start, the grid, ...
    std::string limbDarkening;       // how the bands' limb darkening was chosen
    std::string physics;             // the fixed physics of the model (PhysicsText), or empty
};

// The physics the model holds besides the window's (gravity darkening, reflection, each spot,
// an eccentric orbit) in a few words; empty when there is none.
std::string PhysicsText(const flux::BinaryParameters& system);

// What the outcome itself calls for a note on: an eccentricity not told apart from 0 with
// omega free.
std::vector<std::string> OutcomeNotes(const FitOutcome& outcome);

// The fit's status in a few words: "converged", "did not converge", "interrupted".
std::string FitStatus(const FitOutcome& outcome);
// Whether the fit ended at a minimum it can vouch for.
bool FitConverged(const FitOutcome& outcome);

std::string TextReport(const FitProblem& problem, const FitOutcome& outcome,
                       const ReportContext& context);
std::string JsonReport(const FitProblem& problem, const FitOutcome& outcome,
                       const ReportContext& context);

// "q = 0.4946 ± 0.0113, i = 85.00 ± 0.06°, ...": the fitted parameters for a plot's title.
std::string ParameterLine(const FitOutcome& outcome);

}  // namespace vp::fit
