#include "shell/qt/picture_view.h"

#include <QImage>
#include <QPainter>

namespace vp::qt {

PictureView::PictureView(const Surface& surface, const int* markerX, QWidget* parent)
    : QWidget(parent), surface_(surface), markerX_(markerX) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const int w = surface_.Width(), h = surface_.Height();
    if (w > 0 && h > 0) {
        // Wrapped afresh on every paint: a resize of the raster may move its pixels.
        const QImage image(surface_.Bytes(), w, h, w * 4, QImage::Format_RGB32);
        painter.drawImage(0, 0, image);
    }
    if (markerX_) {
        painter.setPen(QColor(128, 128, 128));
        painter.drawLine(*markerX_, 0, *markerX_, height() - 1);
    }
}

}  // namespace vp::qt
