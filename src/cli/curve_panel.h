// The light curve shown under each frame of an animated GIF: the red, green and blue flux
// over one turn from phase 0 to 1 (with a little of the turns before and after, so that the
// eclipse at phase 0 shows whole at both ends), a marker at the frame's phase and the phase
// written out. Drawn in
// a handful of solid colours, without smoothing, so that it takes a few palette entries and
// leaves the rest to the stars. Needs a GuiSession for its text.
#pragma once

#include <QImage>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vp {

class CurvePanel {
  public:
    // phase ascending, 0 <= phase < 1; flux per colour (red, green, blue) at each phase,
    // relative to the brightest; the title is written at the top right.
    CurvePanel(int width, int height, const std::vector<double>& phase,
               const std::array<std::vector<double>, 3>& flux, const std::string& title);

    // The panel of a frame at phase, whose own flux is marked on the curves, into height rows
    // of width colours 0x00RRGGBB.
    void Draw(double phase, const std::array<double, 3>& flux, std::uint32_t* rows) const;

    // Every colour the panel is drawn in.
    static std::vector<std::uint32_t> Colours();
    // The panel's height under a picture of this width.
    static int HeightFor(int width);

  private:
    double X(double phase) const;
    double Y(double flux) const;

    int width_, height_, fontPixels_;
    double left_, right_, top_, bottom_, low_, high_;
    QImage background_;
};

}  // namespace vp
