// Whole-number conversions with the program's rounding rules.
#pragma once

#include <cmath>
#include <cstdint>
#include <optional>

namespace vp {

// Int: the floor.
inline double Int(double value) {
    return std::floor(value);
}

// The count a loop's whole-number counter runs to: nearest, halves to even, so that 7.5
// latitude lines mesh as 8 and 2.5 as 2. The mesh formulas use the same whole count, which
// is what closes a mesh of a fractional count.
inline double WholeCount(double value) {
    return std::nearbyint(value);
}

// Conversion to a 32-bit integer (pixel coordinates): nearest, halves to even. A value that
// is not finite or lies outside the range of the integer has no conversion.
inline std::optional<std::int32_t> RoundHalfEven32(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    double r = std::nearbyint(value);
    if (r < -2147483648.0 || r > 2147483647.0) return std::nullopt;
    return static_cast<std::int32_t>(r);
}

// Nearest whole number, halves away from zero (the degrees of frame names).
inline std::optional<std::int64_t> RoundHalfAway(double value) {
    if (!std::isfinite(value)) return std::nullopt;
    double r = std::round(value);
    if (r < -9.2e18 || r > 9.2e18) return std::nullopt;
    return static_cast<std::int64_t>(r);
}

}  // namespace vp
