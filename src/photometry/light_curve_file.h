// The light-curve file: a header and every measured plot index twice, one cycle apart.
#pragma once

#include <string>

#include "photometry/light_curve_store.h"

namespace vp {

struct LightCurveText {
    std::string bytes;          // the whole file, CRLF line ends
    int RowCount = 0;           // rows of the first pass
    bool CurveComplete = true;  // every written row has all three colours
};

// magnitudes: values are stored as magnitudes and written below the brightest sample.
LightCurveText LightCurveFileText(const LightCurveStore& store, double plotWidth, bool magnitudes);

}  // namespace vp
