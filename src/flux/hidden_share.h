// How much of one triangle of the farther lobe the nearer lobe's disc hides, in every band:
// the hidden light over the triangle's light, both measured on the sky.
#pragma once

#include <span>
#include <vector>

#include "flux/limb_darkening.h"
#include "flux/sky_outline.h"
#include "flux/sky_polygon.h"

namespace vp::flux {

// A triangle on the sky: its corners and edge nodes (0, 1, 2, then the nodes between 0-1, 1-2
// and 2-0) relative to the centre of the front disc, and mu at each.
struct SkyTriangle {
    Point2 p[6];
    double mu[6];
    double gap[6];  // distance outside the outline (negative inside)
};

// Adds each band's hidden and whole light of the triangle (the intensity relative to the disc
// centre's, integrated over its area on the sky) to hidden[b] and total[b]. A triangle that
// faces the observer everywhere is taken as the curved patch its six nodes describe; one
// across the horizon as four flat halves. A half whose corners all lie further than `margin`
// inside or outside the outline is taken as wholly hidden or wholly seen.
// When `first` is given (spans of one value per band), the first moments on the sky of the
// hidden and of the whole light (the integrals of x and y times the intensity, about the front
// disc's centre) are added to it as well.
struct SkyFirstMoments {
    std::span<double> hiddenX, hiddenY, totalX, totalY;
};
void AddHiddenShare(const SkyTriangle& tri, const SkyOutline& outline, double margin,
                    std::span<const LimbDarkening* const> laws, std::span<double> hidden,
                    std::span<double> total, const SkyFirstMoments* first = nullptr);

}  // namespace vp::flux
