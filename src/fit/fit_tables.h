// The tables a fit writes: every observation with its model and residual, and the fitted
// curve of every file over one turn.
#pragma once

#include <string>
#include <vector>

#include "fit/fit_problem.h"

namespace vp::fit {

// "file,band,line,time,phase,observed,error,model,residual" (no time column for phases); the
// phase from the fitted ephemeris, in [0, 1).
bool ObservationTable(const FitProblem& problem, const std::vector<double>& point, std::string& csv,
                      std::string& error);

// "phase,BAND,..." at 721 phases from -0.25 to 0.75, one column per file in its own unit (a
// band named by two files is told apart by the file's number).
bool CurveTable(const FitProblem& problem, const std::vector<double>& point, std::string& csv,
                std::string& error);

// The columns' names of CurveTable.
std::vector<std::string> CurveColumns(const FitProblem& problem);

}  // namespace vp::fit
