// The start of a fit as vandrel-cli fit makes it, shared with the Python module: the window's
// system as the flux engine takes it, the bands of the observations with their limb darkening,
// the fixed physics, the configuration that bounds the free parameters and the problem itself.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "fit/fit_problem.h"
#include "fit/fit_report.h"
#include "headless/fit_inputs.h"
#include "headless/precise_model.h"

namespace vp {

struct FitStartRequest {
    PreciseRequest engine;             // limb darkening, rings, threads; the bands come from data
    PhysicsRequest physics;            // held fixed; its third light is not used
    std::vector<fit::Parameter> free;  // empty: the configuration's usual set
    std::string configuration;         // "", "detached", "semi-detached" or "contact"
    double l3 = 0;                     // the start's third light
    Ephemeris ephemeris;
};

// "detached", "semi-detached" or "contact"; false with the tool's message for anything else.
bool ParseConfiguration(const std::string& text, fit::Configuration& configuration,
                        std::string& error);

// The problem of fitting data with the system of the window (after ApplyOptions; recomputed
// here). context gets the notes, the limb darkening and the physics (not the system's name nor
// the files). False with the tool's message; usage tells a fault of the request (the tool's
// exit 2) from one of the system.
bool MakeFitProblem(MainForm& form, std::vector<fit::Dataset> data, const FitStartRequest& request,
                    std::unique_ptr<fit::FitProblem>& problem, fit::ReportContext& context,
                    std::string& error, bool& usage);

}  // namespace vp
