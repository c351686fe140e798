// Shows one of the window object's rasters, and over the plot the grey phase marker.
#pragma once

#include <QWidget>

#include "surface/surface.h"

namespace vp::qt {

class PictureView : public QWidget {
  public:
    // markerX, when given, is read on every paint; the marker is never part of the raster.
    PictureView(const Surface& surface, const int* markerX, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const Surface& surface_;
    const int* markerX_;
};

}  // namespace vp::qt
