// The measured light curve: one brightness per colour channel and plot index, with the
// phase of the last measurement at each index and the running extremes.
#pragma once

#include <array>

#include "core/colour.h"

namespace vp {

struct LightCurveStore {
    static constexpr int kSlots = 5001;  // plot indices 0..5000

    // LightCurve[channel][index], channel 1 blue, 2 green, 3 red (index 0 unused).
    std::array<std::array<double, kSlots>, 4> LightCurve{};
    std::array<double, kSlots> CurvePhase{};
    double CurveMax = -1e14;
    double CurveMin = 1e14;
    int ColorChannel = 3;
    double Brightness = 0;
    int PlotIndex = 0;
    int PlotY = 0;
    int PrevX = -1;
    int PrevY = -1;
    Colour PlotColor = kRed;

    // The reset of every recompute: extremes back to their start values and every channel
    // emptied at indices 0..plotWidth. CurvePhase is kept.
    void Reset(double plotWidth) {
        CurveMax = -1e14;
        CurveMin = 1e14;
        for (int channel = 1; channel <= 3; ++channel)
            for (int index = 0; index <= plotWidth && index < kSlots; ++index)
                LightCurve[channel][index] = 0;
    }
};

}  // namespace vp
