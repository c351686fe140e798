// Pictures the headless tool writes as PNG: readable light-curve plots with axes, the
// overlay of a model on observations, and the star picture. Drawn with QPainter on a QImage.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "headless/precise_curve.h"
#include "headless/recording.h"
#include "surface/surface.h"

class QGuiApplication;

namespace vp {

// Text drawing needs a Qt application object; this one uses the offscreen platform, so no
// display is needed. One at a time, on the main thread, around every plot call.
class GuiSession {
  public:
    GuiSession();
    ~GuiSession();
    GuiSession(const GuiSession&) = delete;
    GuiSession& operator=(const GuiSession&) = delete;

  private:
    int argc_ = 1;
    char name_[12] = "vandrel-cli";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QGuiApplication> app_;
};

struct PlotText {
    std::string title;
    std::string subtitle;
};

// The red, green and blue curves of a recording from phase -0.25 to 1.75.
bool WriteCurvePlot(const std::string& path, const CurveTable& table, const PlotText& text,
                    std::string& error);

// The flux engine's curves, one per band, coloured by wavelength: over phase -0.25 to 1.75
// (phases), or over the times.
bool WriteBandsPlot(const std::string& path, const PreciseCurve& curve, const PlotText& text,
                    std::string& error);

// Observations and the fitted model of one colour, residuals in a panel below.
struct OverlayData {
    std::vector<double> modelPhase, modelValue;  // the fitted model over one turn, 0 <= phase < 1
    std::vector<double> phase, observed, residual;
    bool magnitudes = true;
    int band = 1;  // 0 red, 1 green, 2 blue
};
bool WriteOverlayPlot(const std::string& path, const OverlayData& data, const PlotText& text,
                      std::string& error);

// The picture as a PNG file.
bool WritePicturePng(const Surface& picture, const std::string& path, std::string& error);

}  // namespace vp
