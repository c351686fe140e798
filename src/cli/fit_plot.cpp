#include "cli/fit_plot.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

#include "cli/plot_parts.h"
#include "fit/ensemble_sampler.h"

namespace vp {
namespace {

using namespace plot;

QPolygonF Points(const Panel& panel, const std::vector<double>& x, const std::vector<double>& y,
                 bool phases) {
    if (phases) return Repeated(panel, x, y);
    QPolygonF points;
    for (std::size_t i = 0; i < x.size(); ++i)
        if (std::isfinite(y[i])) points << panel.At(x[i], y[i]);
    return points;
}

// Sorted by x, so that a line through them runs from left to right.
void SortByX(std::vector<double>& x, std::vector<double>& y) {
    std::vector<std::size_t> order(x.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return x[a] < x[b]; });
    std::vector<double> sx, sy;
    for (std::size_t i : order) sx.push_back(x[i]), sy.push_back(y[i]);
    x = std::move(sx);
    y = std::move(sy);
}

}  // namespace

bool WriteFitPlot(const std::string& path, const FitPlotData& data, const PlotText& text,
                  std::string& error) {
    if (data.panels.empty()) {
        error = "there is nothing to plot";
        return false;
    }
    const int files = static_cast<int>(data.panels.size());
    const double top = 100, block = files == 1 ? 546 : 430, gap = 14, between = 40;
    const int height = static_cast<int>(top + files * block + (files - 1) * between + 74);
    double x0 = kPhaseFrom, x1 = kPhaseTo;
    if (data.times) {
        x0 = INFINITY;
        x1 = -INFINITY;
        for (const FitPanel& f : data.panels)
            for (double x : f.x) x0 = std::min(x0, x), x1 = std::max(x1, x);
        if (!(x1 > x0)) x0 -= 0.5, x1 += 0.5;
        const double pad = (x1 - x0) * 0.01;
        x0 -= pad;
        x1 += pad;
    }

    QImage image(kWidth, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    DrawTitle(p, text);
    for (int k = 0; k < files; ++k) {
        const FitPanel& f = data.panels[static_cast<std::size_t>(k)];
        const double y = top + k * (block + between);
        const double upperHeight = (block - gap) * 0.7;
        Panel upper, lower;
        upper.area = QRectF(112, y, kWidth - 140, upperHeight);
        lower.area = QRectF(112, y + upperHeight + gap, kWidth - 140, block - gap - upperHeight);
        upper.x0 = lower.x0 = x0;
        upper.x1 = lower.x1 = x1;
        upper.xStep = lower.xStep = data.times ? NiceStep(x1 - x0, 8) : 0.25;
        upper.inverted = lower.inverted = f.magnitudes;
        double low, high;
        if (!Range({&f.modelY, &f.observed}, low, high)) {
            error = "there are no values to plot";
            return false;
        }
        NiceRange(low, high, 6, upper);
        double spread = 0;
        for (double r : f.residual)
            if (std::isfinite(r)) spread = std::max(spread, std::fabs(r));
        NiceRange(-spread, spread, 4, lower);
        const bool last = k + 1 == files;
        DrawAxes(p, upper, "",
                 QString::fromStdString(f.label) + (f.magnitudes ? ", magnitude" : ", flux"));
        DrawAxes(p, lower, last ? QString::fromStdString(data.xLabel) : QString(" "),
                 f.magnitudes ? "O \u2212 C, mag" : "O \u2212 C");

        const QColor model = WavelengthColour(f.wavelength);
        const std::size_t n = f.x.size();
        const double radius = n > 3000 ? 1.2 : n > 300 ? 1.8 : 2.6;
        QColor dots = kObservedColour;
        if (n > 3000) dots.setAlpha(150);
        std::vector<double> mx = f.modelX, my = f.modelY;
        SortByX(mx, my);
        p.setClipRect(upper.area);
        // Over time the model runs through many turns: drawn thin and under the observations.
        if (data.times) {
            p.setPen(QPen(model, 1.0));
            p.drawPolyline(Points(upper, mx, my, false));
        }
        DrawDots(p, Points(upper, f.x, f.observed, !data.times), dots, radius);
        if (!data.times) {
            p.setPen(QPen(model, 2.2));
            p.drawPolyline(Points(upper, mx, my, true));
        }
        p.setClipRect(lower.area);
        p.setPen(QPen(QColor(120, 120, 120), 1, Qt::DashLine));
        p.drawLine(lower.At(x0, 0), lower.At(x1, 0));
        DrawDots(p, Points(lower, f.x, f.residual, !data.times), dots, radius);
        p.setClipping(false);
        DrawLegend(p, upper.area,
                   {{"model, " + QString::fromStdString(f.label), model, true},
                    {QString("observed (%1 points)").arg(n), kObservedColour, false}});
    }
    p.end();
    return SavePng(image, path, error);
}

bool WriteCornerPlot(const std::string& path, const CornerData& data, const PlotText& text,
                     std::string& error) {
    const int n = static_cast<int>(data.names.size());
    if (n == 0 || data.samples.empty()) {
        error = "the sampler gave no samples to plot";
        return false;
    }
    const int cell = n <= 3 ? 300 : n <= 5 ? 230 : 180;
    const int left = 100, top = 110, bottom = 80;
    const int width = std::max(800, left + n * cell + 40);
    const int height = top + n * cell + bottom;
    // Each quantity's span: the central 99.8 % of its samples.
    std::vector<double> low(n), high(n), median(n), p16(n), p84(n);
    for (int k = 0; k < n; ++k) {
        std::vector<double> column;
        for (const auto& s : data.samples) column.push_back(s[static_cast<std::size_t>(k)]);
        low[k] = fit::Percentile(column, 0.001);
        high[k] = fit::Percentile(column, 0.999);
        median[k] = fit::Percentile(column, 0.5);
        p16[k] = fit::Percentile(column, 0.15865525393145707);
        p84[k] = fit::Percentile(column, 0.8413447460685429);
        if (!(high[k] > low[k])) {
            const double pad = std::max(std::fabs(low[k]) * 1e-6, 1e-12);
            low[k] -= pad;
            high[k] += pad;
        }
        const double pad = (high[k] - low[k]) * 0.05;
        low[k] -= pad;
        high[k] += pad;
    }

    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    DrawTitle(p, text, width);
    const QColor ink(40, 70, 160);
    const std::size_t stride = std::max<std::size_t>(1, data.samples.size() / 20000);
    for (int row = 0; row < n; ++row)
        for (int column = 0; column <= row; ++column) {
            const QRectF box(left + column * cell + 6, top + row * cell + 6, cell - 12, cell - 12);
            Panel panel;
            panel.area = box;
            panel.x0 = low[column];
            panel.x1 = high[column];
            panel.xStep = NiceStep(high[column] - low[column], 3);
            const bool bottomRow = row + 1 == n;
            const QString xLabel =
                bottomRow ? QString::fromStdString(data.names[column]) : QString();
            if (row == column) {
                // The histogram, scaled to its tallest bin.
                const int bins = std::clamp(
                    static_cast<int>(std::sqrt(static_cast<double>(data.samples.size())) / 2), 10,
                    40);
                std::vector<double> count(static_cast<std::size_t>(bins), 0);
                for (const auto& s : data.samples) {
                    const double f = (s[static_cast<std::size_t>(column)] - low[column]) /
                                     (high[column] - low[column]);
                    if (f >= 0 && f < 1) count[static_cast<std::size_t>(f * bins)] += 1;
                }
                const double tallest = *std::max_element(count.begin(), count.end());
                panel.y0 = 0;
                panel.y1 = tallest > 0 ? tallest * 1.1 : 1;
                panel.yStep = NiceStep(panel.y1, 3);
                DrawAxes(p, panel, xLabel, "", false);
                p.setClipRect(box);
                p.setPen(QPen(ink, 1.5));
                QPolygonF steps;
                for (int b = 0; b < bins; ++b) {
                    const double a = low[column] + (high[column] - low[column]) * b / bins;
                    const double e = low[column] + (high[column] - low[column]) * (b + 1) / bins;
                    steps << panel.At(a, count[static_cast<std::size_t>(b)])
                          << panel.At(e, count[static_cast<std::size_t>(b)]);
                }
                p.drawPolyline(steps);
                for (double mark : {p16[column], median[column], p84[column]}) {
                    p.setPen(QPen(Qt::black, 1.2,
                                  mark == median[column] ? Qt::SolidLine : Qt::DashLine));
                    p.drawLine(panel.At(mark, panel.y0), panel.At(mark, panel.y1));
                }
                p.setClipping(false);
                p.setPen(Qt::black);
                p.setFont(Font(12));
                const double plus = p84[column] - median[column],
                             minus = median[column] - p16[column];
                p.drawText(
                    QRectF(box.left() - 30, box.top() - 20, box.width() + 60, 18),
                    Qt::AlignHCenter | Qt::AlignBottom,
                    QString::fromStdString(data.names[column]) + QString(" = %1 +%2 \u2212%3")
                                                                     .arg(median[column], 0, 'g', 5)
                                                                     .arg(plus, 0, 'g', 2)
                                                                     .arg(minus, 0, 'g', 2));
            } else {
                panel.y0 = low[row];
                panel.y1 = high[row];
                panel.yStep = NiceStep(high[row] - low[row], 3);
                DrawAxes(p, panel, xLabel,
                         column == 0 ? QString::fromStdString(data.names[row]) : "", column == 0);
                p.setClipRect(box);
                QColor dot = ink;
                dot.setAlpha(60);
                p.setPen(Qt::NoPen);
                p.setBrush(dot);
                for (std::size_t s = 0; s < data.samples.size(); s += stride)
                    p.drawEllipse(panel.At(data.samples[s][static_cast<std::size_t>(column)],
                                           data.samples[s][static_cast<std::size_t>(row)]),
                                  1.3, 1.3);
                p.setBrush(Qt::NoBrush);
                if (data.best.size() == static_cast<std::size_t>(n)) {
                    p.setPen(QPen(QColor(200, 40, 40), 2));
                    const QPointF at = panel.At(data.best[static_cast<std::size_t>(column)],
                                                data.best[static_cast<std::size_t>(row)]);
                    p.drawLine(at - QPointF(6, 0), at + QPointF(6, 0));
                    p.drawLine(at - QPointF(0, 6), at + QPointF(0, 6));
                }
                p.setClipping(false);
            }
        }
    p.end();
    return SavePng(image, path, error);
}

}  // namespace vp
