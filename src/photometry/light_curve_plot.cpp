#include "photometry/light_curve_plot.h"

#include <cmath>
#include <cstdlib>

#include "core/rounding.h"

namespace vp {

std::optional<int> PlotRow(const LightCurveStore& store, double value) {
    double row = 257 - std::floor(252 * (value - store.CurveMin) /
                                  (store.CurveMax - store.CurveMin + 0.001));
    return RoundHalfEven32(row);
}

Colour ChannelColour(int channel) {
    return channel == 3 ? RGB(255, 0, 0) : channel == 2 ? RGB(0, 255, 0) : RGB(0, 0, 255);
}

void Replot(LightCurveStore& store, Surface& plot, double plotWidth) {
    plot.Clear();
    store.PrevX = -1;
    store.PrevY = -1;
    for (int channel = 1; channel <= 3; ++channel) {
        const Colour colour = ChannelColour(channel);
        int px = 0, py = 0;
        for (int x = 0; x <= plotWidth && x < LightCurveStore::kSlots; ++x) {
            std::optional<int> y = PlotRow(store, store.LightCurve[channel][x]);
            if (!y || *y >= 300) continue;
            plot.Circle(x, *y, 2, colour, false);
            if (x > px && std::abs(x - px) < 30) plot.Line(px, py, x, *y, kWhite);
            px = x;
            py = *y;
        }
    }
}

}  // namespace vp
