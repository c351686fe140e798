#include "headless/fit_zoom.h"

#include <algorithm>
#include <cmath>
#include <iostream>

#include "core/number_text.h"

namespace vp {
namespace {

// Between samples a degree apart the reach grows by less than four parts in 100000 of itself:
// far less than the pixel kept free at the edge.
constexpr double kFinestStepDegrees = 1;

}  // namespace

bool FitZoomToOrbit(MainForm& form, bool verbose, std::string& error) {
    const bool photometry = form.chkPhotometry.checked;
    form.chkPhotometry.checked = false;
    form.Refresh_Click();  // the system of the boxes, whatever the zoom
    form.chkPhotometry.checked = photometry;

    double fit = form.LargestZoomInsidePicture(kFinestStepDegrees);
    const double step = Val(form.txtAnimSpeed.text);
    if (step > kFinestStepDegrees) fit = std::min(fit, form.LargestZoomInsidePicture(step));
    if (!(fit > 0)) {
        error = "--fit-zoom: no zoom keeps the stars inside a picture of " +
                std::to_string(form.picture.Width()) + " x " +
                std::to_string(form.picture.Height()) +
                " pixels (nothing is drawn, or the picture is too small)";
        return false;
    }
    const double tenthBelow = std::floor(fit * 10) / 10;
    form.txtZoom.text = FormatNumber(tenthBelow > 0 ? tenthBelow : fit);
    if (verbose) std::cerr << "--fit-zoom: zoom " << form.txtZoom.text << "\n";
    return true;
}

}  // namespace vp
