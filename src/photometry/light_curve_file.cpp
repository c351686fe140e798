#include "photometry/light_curve_file.h"

#include "core/number_text.h"

namespace vp {
namespace {

void AppendRow(std::string& out, const LightCurveStore& s, int i, double offset, bool magnitudes) {
    auto colour = [&](int channel) {
        double v = s.LightCurve[channel][i];
        return FormatNumber(magnitudes ? s.CurveMax - v : v / s.CurveMax);
    };
    out += FormatNumber(s.CurvePhase[i] / 6.28318530717958 + offset);
    out += ", " + colour(3) + ", " + colour(2) + ", " + colour(1) + "\r\n";
}

}  // namespace

LightCurveText LightCurveFileText(const LightCurveStore& s, double plotWidth, bool magnitudes) {
    LightCurveText file;
    file.bytes = "Phase, Red, Green, Blue\r\n";
    auto measured = [&](int i) {
        return s.LightCurve[1][i] > 0 || s.LightCurve[2][i] > 0 || s.LightCurve[3][i] > 0;
    };
    const int last = plotWidth < LightCurveStore::kSlots - 1 ? static_cast<int>(plotWidth)
                                                             : LightCurveStore::kSlots - 1;
    for (int i = 0; i <= last; ++i) {
        if (!measured(i)) continue;
        AppendRow(file.bytes, s, i, -0.25, magnitudes);
        if (s.LightCurve[1][i] == 0 || s.LightCurve[2][i] == 0 || s.LightCurve[3][i] == 0)
            file.CurveComplete = false;
        ++file.RowCount;
    }
    for (int i = 0; i <= last; ++i)
        if (measured(i)) AppendRow(file.bytes, s, i, 0.75, magnitudes);
    return file;
}

}  // namespace vp
