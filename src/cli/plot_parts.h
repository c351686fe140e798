// The parts the tool's PNG plots are drawn from: panels mapping data into the picture, axes
// with round ticks, titles, legends, dots, colours for wavelengths, and saving as PNG.
#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <string>
#include <vector>

#include "cli/plot_png.h"

namespace vp::plot {

inline constexpr int kWidth = 1200;
inline constexpr int kHeight = 720;
inline constexpr double kPhaseFrom = -0.25;
inline constexpr double kPhaseTo = 1.75;
inline const QColor kObservedColour{70, 70, 70};

// Maps data coordinates into a rectangle of the image; with inverted the larger values
// are lower, as magnitudes are drawn.
struct Panel {
    QRectF area;
    double x0 = 0, x1 = 1, y0 = 0, y1 = 1, yStep = 0.1, xStep = 0.25;
    bool inverted = false;

    QPointF At(double x, double y) const {
        double fx = (x - x0) / (x1 - x0);
        double fy = (y - y0) / (y1 - y0);
        if (inverted) fy = 1 - fy;
        return {area.left() + fx * area.width(), area.bottom() - fy * area.height()};
    }
};

double NiceStep(double span, int ticks);
// The axis spans the values and a small margin; its ticks are the round numbers inside.
void NiceRange(double low, double high, int ticks, Panel& panel);
QFont Font(int pixels, bool bold = false);
// The title and subtitle across the top of a picture `width` wide.
void DrawTitle(QPainter& p, const PlotText& text, int width = kWidth);
// Frame, grid, ticks and their labels; the x axis is labelled only when xLabel is given, the
// y ticks only with yTicks.
void DrawAxes(QPainter& p, const Panel& panel, const QString& xLabel, const QString& yLabel,
              bool yTicks = true);

struct LegendEntry {
    QString text;
    QColor colour;
    bool line;
};
// One row above the plot's right end: a legend inside the plot would hide a part of a curve.
void DrawLegend(QPainter& p, const QRectF& area, const std::vector<LegendEntry>& entries);
// One turn's samples repeated over the plotted phases, in ascending phase.
QPolygonF Repeated(const Panel& panel, const std::vector<double>& phase,
                   const std::vector<double>& value);
void DrawDots(QPainter& p, const QPolygonF& points, const QColor& colour, double radius);
// The lowest and highest finite values of the series; false when there is none.
bool Range(const std::vector<const std::vector<double>*>& series, double& low, double& high);
// A colour for light of wavelength lambda (metres): violet through red, dark red beyond;
// black for a band without a wavelength (bolometric).
QColor WavelengthColour(double lambda);
bool SavePng(const QImage& image, const std::string& path, std::string& error);

}  // namespace vp::plot
