// What a fit reports for each quantity: its value, and its uncertainty from the covariance at
// the minimum (the inverse of J^T J, scaled by the reduced chi-squared so that the scatter of
// the residuals sets it), carried from the optimiser's coordinates to the astronomers'
// parameters through the map's derivatives.
#pragma once

#include <string>
#include <vector>

#include "fit/fit_problem.h"

namespace vp::fit {

// A reported quantity: a free parameter, a radius that follows the mass ratio, or the scale of
// a file.
struct Quantity {
    std::string name;  // "q", "incl", ..., "r2" (derived), "zero-point 1" / "flux factor 1"
    std::string unit;  // "", "deg", "K", "mag", ...
    double value = 0;
    double sigma = NAN;  // NaN: not determined
    bool derived = false;
    bool atBound = false;
    int file = -1;  // a scale: its file
};

struct Covariance {
    bool determined = false;     // J^T J could be inverted
    std::vector<double> matrix;  // Parameters() x Parameters(), row-major, in coordinates
    double chi2 = 0;
    double degreesOfFreedom = 0;
    double reducedChi2 = 0;
    std::string note;
};

// The covariance at the point (central differences); false when the model cannot be
// evaluated there.
bool ComputeCovariance(FitProblem& problem, const std::vector<double>& point,
                       Covariance& covariance, std::string& error);

// The quantities at the point, with their uncertainties when the covariance is determined.
std::vector<Quantity> Quantities(const FitProblem& problem, const std::vector<double>& point,
                                 const Covariance* covariance);

// The values of the quantities at a point (no uncertainties), in the order Quantities gives.
bool QuantityValues(const FitProblem& problem, const double* point, std::vector<double>& values);

// The logarithm of the volume the coordinates' box maps onto in the free parameters near the
// point: added to the log-likelihood it makes a prior uniform in the parameters themselves.
double LogVolumeFactor(const FitProblem& problem, const double* point);

}  // namespace vp::fit
