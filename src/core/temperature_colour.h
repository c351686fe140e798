// The red, green and blue intensity (0 to 255) of a surface element of temperature T in
// kelvin, before limb darkening: the colour the pictures paint a star with.
#pragma once

namespace vp {

// A channel whose formula faults keeps the value it has on entry.
void TemperatureColour(double T, double& RR, double& GG, double& BB);

}  // namespace vp
