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

#include "core/atomic_file.h"

namespace vp {
namespace {

constexpr int kWidth = 1200;
constexpr int kHeight = 720;
constexpr double kPhaseFrom = -0.25;
constexpr double kPhaseTo = 1.75;

const QColor kChannelColours[3] = {QColor(214, 26, 28), QColor(22, 145, 60), QColor(32, 72, 214)};
const char* const kChannelNames[3] = {"red", "green", "blue"};
const QColor kObservedColour(70, 70, 70);

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

double NiceStep(double span, int ticks) {
    const double raw = span / ticks;
    const double power = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 2.5, 5.0})
        if (m * power >= raw * (1 - 1e-9)) return m * power;
    return 10 * power;
}

// The axis spans the values and a small margin; its ticks are the round numbers inside.
void NiceRange(double low, double high, int ticks, Panel& panel) {
    if (!(high > low)) {
        const double pad = std::max(std::fabs(low) * 0.05, 1e-3);
        low -= pad;
        high += pad;
    }
    const double pad = (high - low) * 0.05;
    panel.yStep = NiceStep(high - low, ticks);
    panel.y0 = low - pad;
    panel.y1 = high + pad;
}

int DecimalsOf(double step) {
    int d = 0;
    for (double scaled = step; d < 12 && std::fabs(scaled - std::round(scaled)) > 1e-6 * scaled;
         scaled *= 10)
        ++d;
    return d;
}

QString TickLabel(double value, int decimals) {
    if (std::fabs(value) < 1e-12) value = 0;
    QString text = QString::number(value, 'f', decimals);
    return text.replace('-', QChar(0x2212));
}

QFont Font(int pixels, bool bold = false) {
    QFont font("DejaVu Sans");
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void DrawTitle(QPainter& p, const PlotText& text) {
    p.setPen(Qt::black);
    p.setFont(Font(20, true));
    p.drawText(QRectF(0, 12, kWidth, 30), Qt::AlignHCenter | Qt::AlignVCenter,
               QString::fromStdString(text.title));
    p.setFont(Font(14));
    p.setPen(QColor(60, 60, 60));
    p.drawText(QRectF(0, 44, kWidth, 22), Qt::AlignHCenter | Qt::AlignVCenter,
               QString::fromStdString(text.subtitle));
}

// Frame, grid, ticks and their labels; the phase axis is labelled only when xLabel is given.
void DrawAxes(QPainter& p, const Panel& panel, const QString& xLabel, const QString& yLabel) {
    const QRectF& a = panel.area;
    const QPen grid(QColor(228, 228, 228), 1);
    const QPen ink(Qt::black, 1);
    p.setFont(Font(13));

    const int xDecimals = std::max(DecimalsOf(panel.xStep), 2);
    const double firstX = std::ceil(panel.x0 / panel.xStep - 1e-9) * panel.xStep;
    for (int i = 0; firstX + i * panel.xStep <= panel.x1 + 1e-9 * panel.xStep; ++i) {
        const double x = firstX + i * panel.xStep;
        const double px = panel.At(x, panel.y0).x();
        p.setPen(grid);
        p.drawLine(QPointF(px, a.top()), QPointF(px, a.bottom()));
        p.setPen(ink);
        p.drawLine(QPointF(px, a.bottom()), QPointF(px, a.bottom() - 6));
        p.drawLine(QPointF(px, a.top()), QPointF(px, a.top() + 6));
        if (!xLabel.isEmpty())
            p.drawText(QRectF(px - 60, a.bottom() + 4, 120, 18), Qt::AlignHCenter | Qt::AlignTop,
                       TickLabel(x, xDecimals));
    }
    const int decimals = DecimalsOf(panel.yStep);
    const double firstTick = std::ceil(panel.y0 / panel.yStep - 1e-9);
    for (long i = 0; (firstTick + i) * panel.yStep <= panel.y1 + 1e-9 * panel.yStep; ++i) {
        const double y = (firstTick + i) * panel.yStep;
        const double py = panel.At(panel.x0, y).y();
        p.setPen(grid);
        p.drawLine(QPointF(a.left(), py), QPointF(a.right(), py));
        p.setPen(ink);
        p.drawLine(QPointF(a.left(), py), QPointF(a.left() + 6, py));
        p.drawLine(QPointF(a.right(), py), QPointF(a.right() - 6, py));
        p.drawText(QRectF(a.left() - 86, py - 9, 80, 18), Qt::AlignRight | Qt::AlignVCenter,
                   TickLabel(y, decimals));
    }
    p.setPen(ink);
    p.setBrush(Qt::NoBrush);
    p.drawRect(a);
    p.setFont(Font(15));
    if (!xLabel.isEmpty())
        p.drawText(QRectF(a.left(), a.bottom() + 24, a.width(), 22),
                   Qt::AlignHCenter | Qt::AlignTop, xLabel);
    p.save();
    p.translate(a.left() - 78, a.center().y());
    p.rotate(-90);
    p.drawText(QRectF(-a.height() / 2 - 60, -22, a.height() + 120, 22),
               Qt::AlignHCenter | Qt::AlignBottom, yLabel);
    p.restore();
}

struct LegendEntry {
    QString text;
    QColor colour;
    bool line;
};

// One row above the plot's right end: a legend inside the plot would hide a part of a curve.
void DrawLegend(QPainter& p, const QRectF& area, const std::vector<LegendEntry>& entries) {
    p.setFont(Font(14));
    const QFontMetricsF metrics(p.font());
    double right = area.right();
    const double y = area.top() - 12;
    for (auto e = entries.rbegin(); e != entries.rend(); ++e) {
        const double width = metrics.horizontalAdvance(e->text);
        p.setPen(Qt::black);
        p.drawText(QRectF(right - width, y - 10, width + 2, 20), Qt::AlignLeft | Qt::AlignVCenter,
                   e->text);
        const double mark = right - width - 22;
        if (e->line) {
            p.setPen(QPen(e->colour, 2.5));
            p.drawLine(QPointF(mark - 12, y), QPointF(mark + 14, y));
        } else {
            p.setPen(Qt::NoPen);
            p.setBrush(e->colour);
            p.drawEllipse(QPointF(mark + 1, y), 3.5, 3.5);
            p.setBrush(Qt::NoBrush);
        }
        right = mark - 12 - 24;
    }
}

// One turn's samples repeated over the plotted phases, in ascending phase.
QPolygonF Repeated(const Panel& panel, const std::vector<double>& phase,
                   const std::vector<double>& value) {
    QPolygonF points;
    for (int turn = -1; turn <= 1; ++turn)
        for (std::size_t i = 0; i < phase.size(); ++i) {
            const double x = phase[i] + turn;
            if (x >= kPhaseFrom - 1e-9 && x <= kPhaseTo + 1e-9 && std::isfinite(value[i]))
                points << panel.At(x, value[i]);
        }
    return points;
}

void DrawDots(QPainter& p, const QPolygonF& points, const QColor& colour, double radius) {
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    for (const QPointF& point : points) p.drawEllipse(point, radius, radius);
    p.setBrush(Qt::NoBrush);
}

bool Range(const std::vector<const std::vector<double>*>& series, double& low, double& high) {
    low = INFINITY;
    high = -INFINITY;
    for (const auto* s : series)
        for (double v : *s)
            if (std::isfinite(v)) low = std::min(low, v), high = std::max(high, v);
    return low <= high;
}

QString ScaleLabel(bool magnitudes) {
    return magnitudes ? QString::fromUtf8("\u0394m, magnitudes below the brightest point")
                      : QString("flux relative to the brightest point");
}

// A colour for light of wavelength lambda (metres): violet through red, dark red beyond;
// black for a band without a wavelength (bolometric).
QColor WavelengthColour(double lambda) {
    if (!(lambda > 0)) return QColor(0, 0, 0);
    const double nm = lambda * 1e9;
    struct Stop {
        double nm;
        int r, g, b;
    };
    static constexpr Stop kStops[] = {{350, 110, 0, 160}, {430, 60, 40, 220}, {480, 20, 110, 220},
                                      {520, 20, 150, 70}, {570, 150, 150, 0}, {610, 230, 110, 0},
                                      {660, 214, 26, 28}, {800, 140, 20, 20}, {1000, 80, 10, 10}};
    if (nm <= kStops[0].nm) return QColor(kStops[0].r, kStops[0].g, kStops[0].b);
    for (std::size_t k = 1; k < std::size(kStops); ++k) {
        if (nm > kStops[k].nm) continue;
        const Stop a = kStops[k - 1], b = kStops[k];
        const double f = (nm - a.nm) / (b.nm - a.nm);
        return QColor(static_cast<int>(a.r + f * (b.r - a.r)),
                      static_cast<int>(a.g + f * (b.g - a.g)),
                      static_cast<int>(a.b + f * (b.b - a.b)));
    }
    const Stop last = kStops[std::size(kStops) - 1];
    return QColor(last.r, last.g, last.b);
}

bool SavePng(const QImage& image, const std::string& path, std::string& error) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        error = "the PNG encoder failed";
        return false;
    }
    return WriteFileAtomically(
        path, std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), &error);
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
