// Image photometry's measurement: the exact sum of one colour channel over a picture.
#pragma once

#include <cstdint>

#include "surface/surface.h"

namespace vp {

// Channel 1 is blue, 2 green, 3 red (the byte of the pixel, counted from 1). Any other
// channel sums to 0.
std::uint64_t ChannelSum(const Surface& picture, int channel);

}  // namespace vp
