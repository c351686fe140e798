#include "cli/fit_zoom.h"

#include <cmath>
#include <iostream>

#include "core/constants.h"
#include "core/number_text.h"
#include "render/picture_fit.h"

namespace vp {
namespace {

// Every 5 degrees: the quadratures and conjunctions, where the stars reach farthest, included.
constexpr int kOrbitSamples = 72;
constexpr int kMostTrials = 40;

struct OrbitView {
    bool cut = false;
    DrawingReach reach;
};

OrbitView DrawOrbit(MainForm& form, double zoom) {
    form.txtZoom.text = FormatNumber(zoom);
    form.Refresh_Click();
    OrbitView view;
    for (int k = 0; k < kOrbitSamples; ++k) {
        form.model.Eta = kTwoPi * k / kOrbitSamples;
        form.DrawStar();
        view.cut = view.cut || StarsCutByEdge(form.picture);
        view.reach = Farther(view.reach, ReachFromCentre(form.picture));
    }
    return view;
}

double TenthBelow(double zoom) {
    return std::floor(zoom * 10) / 10;
}

}  // namespace

bool FitZoomToOrbit(MainForm& form, bool verbose, std::string& error) {
    const bool photometry = form.chkPhotometry.checked;
    form.chkPhotometry.checked = false;

    // A zoom at which the orbit fits, halving from the window's first zoom.
    double fits = 100;
    OrbitView view = DrawOrbit(form, fits);
    int trials = 1;
    while (view.cut && trials++ < kMostTrials) view = DrawOrbit(form, fits /= 2);
    DrawingReach reach = view.reach;
    const int width = form.picture.Width(), height = form.picture.Height();
    // Then up towards the edge: the estimate from a fitting zoom's reach, or halfway to the
    // lowest zoom found too large.
    double tooLarge = 0;
    while (!view.cut && reach.lit && trials++ < kMostTrials) {
        double next = TenthBelow(ZoomThatFits(fits, reach, width, height));
        if (tooLarge > 0 && next >= tooLarge) next = TenthBelow((fits + tooLarge) / 2);
        if (!(next > fits)) break;
        const OrbitView at = DrawOrbit(form, next);
        if (at.cut) {
            tooLarge = next;
        } else {
            fits = next;
            reach = at.reach;
        }
    }
    form.chkPhotometry.checked = photometry;
    if (view.cut || !reach.lit) {
        error = view.cut ? "--fit-zoom: the stars are cut by the picture's edge at every zoom tried"
                         : "--fit-zoom: nothing is drawn (the stars are black), so no zoom fits";
        return false;
    }
    form.txtZoom.text = FormatNumber(TenthBelow(fits) > 0 ? TenthBelow(fits) : fits);
    if (verbose) std::cerr << "--fit-zoom: zoom " << form.txtZoom.text << "\n";
    return true;
}

}  // namespace vp
