#include "cli/plot_png.h"

#include <QBuffer>
#include <QByteArray>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "cli/plot_parts.h"
#include "core/atomic_file.h"

namespace vp {
namespace {

using namespace plot;

const QColor kChannelColours[3] = {QColor(214, 26, 28), QColor(22, 145, 60), QColor(32, 72, 214)};
const char* const kChannelNames[3] = {"red", "green", "blue"};

QString ScaleLabel(bool magnitudes) {
    return magnitudes ? QString::fromUtf8("\u0394m, magnitudes below the brightest point")
                      : QString("flux relative to the brightest point");
}

// Qt's notes on its own set-up (no runtime folder, and the like) say nothing about the plots.
void QuietMessages(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fprintf(stderr, "Qt: %s\n", qPrintable(message));
}

}  // namespace

GuiSession::GuiSession() {
    // Only images are painted, never windows.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(QuietMessages);
    if (!QGuiApplication::instance()) app_ = std::make_unique<QGuiApplication>(argc_, argv_);
}

GuiSession::~GuiSession() = default;

bool WriteCurvePlot(const std::string& path, const CurveTable& table, const PlotText& text,
                    std::string& error) {
    Panel panel;
    panel.area = QRectF(112, 100, kWidth - 140, kHeight - 174);
    panel.x0 = kPhaseFrom;
    panel.x1 = kPhaseTo;
    panel.inverted = table.magnitudes;
    double low, high;
    if (!Range({&table.value[0], &table.value[1], &table.value[2]}, low, high)) {
        error = "the light curve holds no values to plot";
        return false;
    }
    NiceRange(low, high, 8, panel);

    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    DrawTitle(p, text);
    DrawAxes(p, panel, "phase", ScaleLabel(table.magnitudes));
    p.setClipRect(panel.area);
    const double radius = table.size() > 400 ? 1.5 : 2.6;
    for (int c = 0; c < 3; ++c) {
        const QPolygonF points = Repeated(panel, table.phase, table.value[c]);
        p.setPen(QPen(kChannelColours[c], 1.8));
        p.drawPolyline(points);
        DrawDots(p, points, kChannelColours[c], radius);
    }
    p.setClipping(false);
    DrawLegend(p, panel.area,
               {{kChannelNames[0], kChannelColours[0], true},
                {kChannelNames[1], kChannelColours[1], true},
                {kChannelNames[2], kChannelColours[2], true}});
    p.end();
    return SavePng(image, path, error);
}

bool WriteBandsPlot(const std::string& path, const PreciseCurve& curve, const PlotText& text,
                    std::string& error) {
    Panel panel;
    panel.area = QRectF(112, 100, kWidth - 140, kHeight - 174);
    panel.inverted = curve.magnitudes;
    std::vector<const std::vector<double>*> all;
    for (const auto& v : curve.value) all.push_back(&v);
    double low, high;
    if (curve.x.empty() || !Range(all, low, high)) {
        error = "the light curve holds no values to plot";
        return false;
    }
    NiceRange(low, high, 8, panel);
    // Phases are drawn folded into one turn and repeated; times as they come.
    std::vector<double> x = curve.x;
    if (curve.times) {
        panel.x0 = *std::min_element(x.begin(), x.end());
        panel.x1 = *std::max_element(x.begin(), x.end());
        if (!(panel.x1 > panel.x0)) panel.x0 -= 0.5, panel.x1 += 0.5;
        panel.xStep = NiceStep(panel.x1 - panel.x0, 8);
    } else {
        panel.x0 = kPhaseFrom;
        panel.x1 = kPhaseTo;
        for (double& p : x) p -= std::floor(p);
    }
    std::vector<std::size_t> order(x.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return x[a] < x[b]; });
    std::vector<double> sortedX;
    for (std::size_t i : order) sortedX.push_back(x[i]);

    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    DrawTitle(p, text);
    DrawAxes(p, panel, curve.times ? "time" : "phase",
             curve.absolute && !curve.magnitudes ? QString("flux, band intensity × separation²")
                                                 : ScaleLabel(curve.magnitudes));
    p.setClipRect(panel.area);
    std::vector<LegendEntry> legend;
    for (std::size_t b = 0; b < curve.value.size(); ++b) {
        std::vector<double> sortedValue;
        for (std::size_t i : order) sortedValue.push_back(curve.value[b][i]);
        QPolygonF points;
        if (curve.times) {
            for (std::size_t i = 0; i < sortedX.size(); ++i)
                if (std::isfinite(sortedValue[i])) points << panel.At(sortedX[i], sortedValue[i]);
        } else {
            points = Repeated(panel, sortedX, sortedValue);
        }
        const QColor colour = WavelengthColour(curve.wavelength[b]);
        p.setPen(QPen(colour, 1.8));
        p.drawPolyline(points);
        legend.push_back({QString::fromStdString(curve.bands[b]), colour, true});
    }
    p.setClipping(false);
    DrawLegend(p, panel.area, legend);
    p.end();
    return SavePng(image, path, error);
}

bool WriteOverlayPlot(const std::string& path, const OverlayData& data, const PlotText& text,
                      std::string& error) {
    const double top = 100, bottom = kHeight - 74, gap = 14;
    const double upperHeight = (bottom - top - gap) * 0.7;
    Panel upper, lower;
    upper.area = QRectF(112, top, kWidth - 140, upperHeight);
    lower.area =
        QRectF(112, top + upperHeight + gap, kWidth - 140, bottom - top - upperHeight - gap);
    upper.x0 = lower.x0 = kPhaseFrom;
    upper.x1 = lower.x1 = kPhaseTo;
    upper.inverted = lower.inverted = data.magnitudes;
    double low, high;
    if (!Range({&data.modelValue, &data.observed}, low, high)) {
        error = "there are no values to plot";
        return false;
    }
    NiceRange(low, high, 6, upper);
    double spread = 0;
    for (double r : data.residual)
        if (std::isfinite(r)) spread = std::max(spread, std::fabs(r));
    NiceRange(-spread, spread, 3, lower);

    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    DrawTitle(p, text);
    DrawAxes(p, upper, "", data.magnitudes ? "magnitude" : "flux");
    DrawAxes(p, lower, "phase", data.magnitudes ? "O \u2212 C, mag" : "O \u2212 C");

    const QColor band = kChannelColours[std::clamp(data.band, 0, 2)];
    const double radius = data.phase.size() > 3000 ? 1.2 : data.phase.size() > 300 ? 1.8 : 2.6;
    QColor dots = kObservedColour;
    if (data.phase.size() > 3000) dots.setAlpha(150);
    p.setClipRect(upper.area);
    DrawDots(p, Repeated(upper, data.phase, data.observed), dots, radius);
    p.setPen(QPen(band, 2.2));
    p.drawPolyline(Repeated(upper, data.modelPhase, data.modelValue));
    p.setClipRect(lower.area);
    p.setPen(QPen(QColor(120, 120, 120), 1, Qt::DashLine));
    p.drawLine(lower.At(kPhaseFrom, 0), lower.At(kPhaseTo, 0));
    DrawDots(p, Repeated(lower, data.phase, data.residual), dots, radius);
    p.setClipping(false);
    DrawLegend(p, upper.area,
               {{QString("model, ") + kChannelNames[std::clamp(data.band, 0, 2)], band, true},
                {QString("observed (%1 points)").arg(data.phase.size()), kObservedColour, false}});
    p.end();
    return SavePng(image, path, error);
}

bool WritePicturePng(const Surface& picture, const std::string& path, std::string& error) {
    if (picture.Width() <= 0 || picture.Height() <= 0) {
        error = "the picture is empty";
        return false;
    }
    QImage image(picture.Width(), picture.Height(), QImage::Format_RGB32);
    const std::uint32_t* words = picture.Words();
    for (int y = 0; y < picture.Height(); ++y) {
        auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < picture.Width(); ++x)
            row[x] = 0xFF000000u | words[std::size_t(y) * picture.Width() + x];
    }
    return SavePng(image, path, error);
}

}  // namespace vp
