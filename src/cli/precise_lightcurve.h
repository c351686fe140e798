// vandrel-cli lightcurve --precise: the light curve from the flux engine.
#pragma once

#include <string>

#include "headless/options.h"
#include "headless/precise_curve.h"
#include "headless/precise_model.h"

namespace vp {

// Computes the curve of the system the options describe; false with a message.
bool ComputePreciseCurve(const CommonOptions& options, const PreciseRequest& request,
                         bool magnitudes, PreciseCurve& curve, std::string& title,
                         std::string& subtitle, std::string& error);

// Writes the CSV to out and the plot to plotPng (either may be empty), the plot over phase
// even for times when plotPhase; the exit code.
int RunPreciseLightCurve(const CommonOptions& options, const PreciseRequest& request,
                         bool magnitudes, const std::string& out, const std::string& plotPng,
                         bool plotPhase = false);

}  // namespace vp
