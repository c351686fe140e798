#include "shell/qt/caption_frame.h"

#include <QStyleOptionGroupBox>
#include <QStylePainter>

namespace vp::qt {

void CaptionFrame::SetCaptionColour(const QColor& colour) {
    if (colour == caption_) return;
    caption_ = colour;
    update();
}

void CaptionFrame::SetPanelColour(const QColor& colour) {
    if (colour == panel_) return;
    panel_ = colour;
    update();
}

void CaptionFrame::paintEvent(QPaintEvent*) {
    QStylePainter painter(this);
    if (panel_.isValid()) painter.fillRect(rect(), panel_);
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    if (caption_.isValid()) {
        // Styles differ in which of the two they read for the caption.
        option.textColor = caption_;
        option.palette.setColor(QPalette::WindowText, caption_);
    }
    painter.drawComplexControl(QStyle::CC_GroupBox, option);
}

}  // namespace vp::qt
