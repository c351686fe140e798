// Statement-level fault tolerance: a computation whose result is not a finite number leaves
// its target unchanged, and the procedure goes on with the next statement.
#pragma once

#include <cmath>

namespace vp {

// Assigns value to target when it is finite; returns whether it did.
inline bool Assign(double& target, double value) {
    if (!std::isfinite(value)) return false;
    target = value;
    return true;
}

}  // namespace vp

namespace vp {

// Division that faults like the statement it stands in: by zero, or to a result too large
// for a double, it gives NaN, so that the Assign of the whole statement fails even where
// later arithmetic would have turned the infinity back into a finite number.
inline double Div(double a, double b) {
    if (b == 0) return std::nan("");
    double r = a / b;
    return std::isfinite(r) ? r : std::nan("");
}

}  // namespace vp
