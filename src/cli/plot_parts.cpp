#include "cli/plot_parts.h"

#include <QBuffer>
#include <QByteArray>
#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

#include "core/atomic_file.h"

namespace vp::plot {

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

namespace {

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

}  // namespace

QFont Font(int pixels, bool bold) {
    QFont font("DejaVu Sans");
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

void DrawTitle(QPainter& p, const PlotText& text, int width) {
    p.setPen(Qt::black);
    p.setFont(Font(20, true));
    p.drawText(QRectF(0, 12, width, 30), Qt::AlignHCenter | Qt::AlignVCenter,
               QString::fromStdString(text.title));
    p.setFont(Font(14));
    p.setPen(QColor(60, 60, 60));
    p.drawText(QRectF(0, 44, width, 22), Qt::AlignHCenter | Qt::AlignVCenter,
               QString::fromStdString(text.subtitle));
}

// Frame, grid, ticks and their labels; the phase axis is labelled only when xLabel is given.
void DrawAxes(QPainter& p, const Panel& panel, const QString& xLabel, const QString& yLabel,
              bool yTicks) {
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
        if (yTicks)
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

}  // namespace vp::plot
