// Constants shared by the model, the renderer and photometry.
#pragma once

namespace vp {

// The program's pi, a literal of 15 significant digits (not the library's constant).
constexpr double kPi = 3.14159265358979;
constexpr double kTwoPi = kPi + kPi;

// Degrees to radians as the program has always computed it: value times pi, then over 180.
constexpr double DegToRad(double degrees) {
    return degrees * kPi / 180;
}

}  // namespace vp
