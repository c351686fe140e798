// Whether the stars fit the star picture, told by the drawing itself: a star that runs over
// the picture's edge loses light that photometry never sees, and the drawing grows in
// proportion to the zoom about the picture's centre, so its reach tells the zoom that fits.
#pragma once

#include "surface/surface.h"

namespace vp {

// Whether anything is drawn on the picture's outermost rows or columns: a star drawn there is
// cut by the edge.
bool StarsCutByEdge(const Surface& picture);

// How far the lit pixels reach from the picture's centre (half its width and height), to the
// far side of the farthest lit pixel, horizontally and vertically.
struct DrawingReach {
    bool lit = false;
    double x = 0;
    double y = 0;
};
DrawingReach ReachFromCentre(const Surface& picture);

// The farther of two reaches, each way.
DrawingReach Farther(const DrawingReach& a, const DrawingReach& b);

// The largest zoom at which a drawing that has this reach at zoom stays off the outermost rows
// and columns of a width x height picture, with a pixel to spare; 0 when nothing is lit.
double ZoomThatFits(double zoom, const DrawingReach& reach, int width, int height);

}  // namespace vp
