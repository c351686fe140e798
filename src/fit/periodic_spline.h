// A cubic spline through samples of a function of phase with period 1: twice continuously
// differentiable, the turn closing on itself.
#pragma once

#include <vector>

namespace vp::fit {

class PeriodicSpline {
  public:
    PeriodicSpline() = default;
    // phase: at least three samples, ascending, in [0, 1).
    PeriodicSpline(std::vector<double> phase, std::vector<double> value);

    // The value at any phase (taken modulo 1).
    double At(double phase) const;
    bool Empty() const { return x_.empty(); }

  private:
    std::vector<double> x_, y_, curvature_;
};

}  // namespace vp::fit
