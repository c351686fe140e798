// A fit of a system to observations as the Python module runs it: the files and columns read,
// the start made and the fit run by the same code as vandrel-cli fit, and what it reports.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "fit/fitter.h"
#include "headless/fit_inputs.h"
#include "headless/fit_setup.h"
#include "module_system.h"

namespace vp::python {

struct FitCall {
    std::vector<FileRequest> observed;
    FitStartRequest start;  // its ephemeris: times given with period and epoch
    long starts = 4, candidates = 24, maxIterations = 100, seed = 1, mcmcSteps = 0, walkers = 0;
};

struct FitRun {
    std::string json;                          // the tool's --json report
    std::string report;                        // the tool's report on stdout
    std::vector<std::string> names;            // the quantities, in the report's order
    std::vector<std::vector<double>> samples;  // the posterior's, [sample][quantity]
    // Per observation file: each observation's phase and the model there (its scale applied).
    std::vector<std::vector<double>> phase, model;
};

// Throws ModuleError with the tool's message for a call it refuses, observations it cannot
// read (File when a file cannot be read) or a fit that cannot begin. progress gets every line
// the tool shows; the fit stops at the next iteration once interrupt is set.
FitRun FitSystem(const ModuleSystem& system, FitCall call,
                 const std::function<void(const std::string&)>& progress,
                 const std::atomic<bool>* interrupt);

}  // namespace vp::python
