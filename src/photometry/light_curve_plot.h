// The light-curve plot: coloured points on black, white joining lines, one vertical scale
// for all three colours.
#pragma once

#include <optional>

#include "photometry/light_curve_store.h"
#include "surface/surface.h"

namespace vp {

// The plot row of a value on the store's current scale; nothing when it is not a number a
// row can hold.
std::optional<int> PlotRow(const LightCurveStore& store, double value);

// The colour of a channel's points: red, green or blue.
Colour ChannelColour(int channel);

// Clears the plot and draws every stored value of channels 1, 2, 3 at indices
// 0..plotWidth; joins points fewer than 30 pixels apart. Forgets photometry's last point.
void Replot(LightCurveStore& store, Surface& plot, double plotWidth);

}  // namespace vp
