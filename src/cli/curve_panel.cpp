#include "cli/curve_panel.h"

#include <QFont>
#include <QPainter>
#include <QPolygonF>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace vp {
namespace {

// The phases shown: one turn and a tenth of the turns on either side.
constexpr double kFrom = -0.1;
constexpr double kTo = 1.1;

constexpr QRgb kBackground = 0x000000;
constexpr QRgb kGrid = 0x404040;
constexpr QRgb kLabel = 0xA0A0A0;
constexpr QRgb kMarker = 0x808080;
constexpr QRgb kText = 0xFFFFFF;
// Red, green and blue, lightened where the pure colour is hard to see on black.
constexpr QRgb kChannels[3] = {0xFF3C3C, 0x3CDC3C, 0x5A82FF};

QColor Colour(QRgb rgb) {
    return QColor::fromRgb(rgb | 0xFF000000u);
}

QFont PanelFont(int pixels) {
    QFont font("DejaVu Sans");
    font.setPixelSize(pixels);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

}  // namespace

std::vector<std::uint32_t> CurvePanel::Colours() {
    return {kBackground, kGrid, kLabel, kMarker, kText, kChannels[0], kChannels[1], kChannels[2]};
}

int CurvePanel::HeightFor(int width) {
    return std::clamp(width / 4, 90, 320);
}

CurvePanel::CurvePanel(int width, int height, const std::vector<double>& phase,
                       const std::array<std::vector<double>, 3>& flux, const std::string& title)
    : width_(width),
      height_(height),
      fontPixels_(std::clamp(height / 12, 10, 16)),
      background_(width, height, QImage::Format_RGB32) {
    left_ = 8;
    right_ = width - 9;
    top_ = fontPixels_ + 10;
    bottom_ = height - fontPixels_ - 9;
    low_ = INFINITY;
    high_ = -INFINITY;
    for (const auto& values : flux)
        for (double v : values)
            if (std::isfinite(v)) low_ = std::min(low_, v), high_ = std::max(high_, v);
    if (!(low_ <= high_)) low_ = 0, high_ = 1;
    const double pad = std::max((high_ - low_) * 0.06, 1e-3);
    low_ -= pad;
    high_ += pad;

    background_.fill(Colour(kBackground));
    QPainter p(&background_);
    p.setFont(PanelFont(fontPixels_));
    for (int quarter = 0; quarter <= 4; ++quarter) {
        const double x = std::round(X(quarter / 4.0));
        p.setPen(Colour(kGrid));
        p.drawLine(QPointF(x, top_), QPointF(x, bottom_));
        static const char* const kLabels[] = {"0", "0.25", "0.5", "0.75", "1"};
        p.setPen(Colour(kLabel));
        p.drawText(QRectF(x - 30, bottom_ + 3, 60, fontPixels_ + 4),
                   Qt::AlignHCenter | Qt::AlignTop, kLabels[quarter]);
    }
    p.setPen(Colour(kGrid));
    p.drawLine(QPointF(left_, bottom_), QPointF(right_, bottom_));
    p.setPen(Colour(kLabel));
    p.drawText(QRectF(width / 2.0, 3, width / 2.0 - left_, fontPixels_ + 5),
               Qt::AlignRight | Qt::AlignTop, QString::fromStdString(title));
    // Blue first, red last and on top, as the window draws them.
    p.setClipRect(QRectF(left_, 0, right_ - left_ + 1, height));
    for (int c = 2; c >= 0; --c) {
        QPolygonF line;
        for (int turn = -1; turn <= 1; ++turn)
            for (std::size_t i = 0; i < phase.size() && i < flux[c].size(); ++i) {
                const double at = phase[i] + turn;
                if (at >= kFrom - 0.05 && at <= kTo + 0.05) line << QPointF(X(at), Y(flux[c][i]));
            }
        p.setPen(Colour(kChannels[c]));
        p.drawPolyline(line);
    }
}

double CurvePanel::X(double phase) const {
    return left_ + (phase - kFrom) / (kTo - kFrom) * (right_ - left_);
}

double CurvePanel::Y(double flux) const {
    const double y = bottom_ - (flux - low_) / (high_ - low_) * (bottom_ - top_);
    return std::clamp(y, top_, bottom_);
}

void CurvePanel::Draw(double phase, const std::array<double, 3>& flux, std::uint32_t* rows) const {
    QImage image = background_.copy();
    {
        QPainter p(&image);
        const double x = std::round(X(phase));
        p.setPen(Colour(kMarker));
        p.drawLine(QPointF(x, top_ - 4), QPointF(x, bottom_));
        for (int c = 2; c >= 0; --c) {
            if (!std::isfinite(flux[c])) continue;
            p.setPen(Colour(kText));
            p.setBrush(Colour(kChannels[c]));
            p.drawEllipse(QPointF(x, std::round(Y(flux[c]))), 3, 3);
        }
        char text[32];
        std::snprintf(text, sizeof text, "phase %.3f", phase);
        p.setFont(PanelFont(fontPixels_));
        p.setPen(Colour(kText));
        p.drawText(QRectF(left_, 3, width_ / 2.0, fontPixels_ + 5), Qt::AlignLeft | Qt::AlignTop,
                   text);
    }
    for (int y = 0; y < height_; ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < width_; ++x)
            rows[static_cast<std::size_t>(y) * width_ + x] = line[x] & 0xFFFFFFu;
    }
}

}  // namespace vp
