// A frame whose caption alone takes the caption colour. The colour goes to the painting of the
// caption, not into the frame's palette, so the widgets inside keep their own colours (a
// palette colour would reach every child: scroll arrows, check boxes, labels). The frame can
// also paint its own panel colour behind its contents, again without passing it on.
#pragma once

#include <QColor>
#include <QGroupBox>

namespace vp::qt {

class CaptionFrame : public QGroupBox {
  public:
    using QGroupBox::QGroupBox;

    void SetCaptionColour(const QColor& colour);
    QColor CaptionColour() const { return caption_; }
    void SetPanelColour(const QColor& colour);
    QColor PanelColour() const { return panel_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QColor caption_;  // invalid: the style's own
    QColor panel_;    // invalid: the parent shows through
};

}  // namespace vp::qt
