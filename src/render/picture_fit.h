// Whether the stars fit the star picture over a whole turn of the orbit, and the zoom at
// which they do. The picture's light is the light curve: a star cut by the picture's edge
// loses light that the curve then misses.
#pragma once

#include "model/model_state.h"
#include "render/renderer.h"

namespace vp {

// The largest zoom, in percent as the zoom box holds it, at which every frame of one turn
// lies wholly inside a star picture of width x height pixels: the system as the last
// recompute left it (its memo tables are copied, never changed), drawn with these switches
// at the phases 0, stepDegrees, 2 stepDegrees, ... below one turn (the animation's phases
// for that step). One pixel is kept free at every edge. 0 when nothing is drawn or no zoom
// fits (a picture of four pixels or fewer across or down).
double LargestZoomInside(const ModelState& model, const RenderSwitches& switches, int width,
                         int height, double stepDegrees = 1);

}  // namespace vp
