#include "render/picture_fit.h"

#include <algorithm>
#include <cmath>

#include "core/constants.h"
#include "model/model_port.h"

namespace vp {
namespace {

// The drawing asks the window nothing here: a star that does not settle is no concern of
// the fit.
class QuietPort : public ModelPort {
  public:
    void ShowSlowIteration() override {}
    void MarkStar1Unstable() override {}
};

}  // namespace

double LargestZoomInside(const ModelState& model, const RenderSwitches& switches, int width,
                         int height, double stepDegrees) {
    if (width < 1 || height < 1 || !(stepDegrees > 0)) return 0;
    // Everything a frame draws lies at S times a distance that does not depend on S (the
    // orbit, the surfaces, the neck), so one turn at zoom 100 tells the reach at any zoom.
    constexpr double kReferenceZoom = 100;
    ModelState m = model;
    const float scaleWidth = static_cast<float>(width), scaleHeight = static_cast<float>(height);
    m.ViewScale = kReferenceZoom * std::min(scaleWidth, scaleHeight) / 300;
    // The reach is measured from the picture's centre, so a tiny picture draws the same
    // corners at almost no cost.
    Surface picture(2, 2);
    Renderer renderer;
    QuietPort port;
    double reachX = 0, reachY = 0;
    const double step = DegToRad(stepDegrees);
    for (double eta = 0; eta < kTwoPi; eta += step) {
        m.Eta = eta;
        renderer.DrawStar(m, port, switches, picture);
        reachX = std::max(reachX, renderer.LastFrameReach().x);
        reachY = std::max(reachY, renderer.LastFrameReach().y);
    }
    // The centre lies at w / 2, so a corner at distance d from it rounds onto column w - 2 or
    // nearer while d < w / 2 - 3/2, and onto column 1 or nearer the centre while
    // d < w / 2 - 1/2: the outermost rows and columns stay free. Half a pixel more covers the
    // rounding of the zoom.
    constexpr double kMargin = 2;
    double zoom = HUGE_VAL;
    if (reachX > 0) zoom = std::min(zoom, kReferenceZoom * (scaleWidth / 2 - kMargin) / reachX);
    if (reachY > 0) zoom = std::min(zoom, kReferenceZoom * (scaleHeight / 2 - kMargin) / reachY);
    return std::isfinite(zoom) && zoom > 0 ? zoom : 0;
}

}  // namespace vp
