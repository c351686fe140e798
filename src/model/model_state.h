// The model state of the binary: the values a recompute derives from the parameter boxes,
// read by the shapes, the renderer and photometry until the next recompute.
#pragma once

#include <vector>

#include "core/rounding.h"
#include "model/memo_table.h"

namespace vp {

struct ModelState {
    // Parameters read from the boxes (model units: separation 1, radians, kelvin, seconds).
    double MassRatio = 0;
    double OrbitMassRatio = 0;
    double PoleRadius1 = 0;
    double PoleRadius2 = 0;
    double Limb1 = 0;
    double Limb2 = 0;
    double Temp1 = 0;
    double Temp2 = 0;
    double LatLines1 = 0;
    double LatLines2 = 0;
    double NeckLines = 0;
    double Iota = 0;
    double Eta = 0;
    double Gamma = 0;
    double RotPeriod = 0;
    double ViewScale = 0;

    // Roche geometry.
    double L1Point = 0;
    double OmegaCrit = 0;
    double Omega1 = 0;
    double Omega2 = 0;

    // Shared working values of the iterations.
    double PoleRadius = 0;
    double PointRadius = 0;
    int IterCount = 0;

    // Radii memoised per mesh corner until the next recompute; 0 means "not computed".
    MemoTable ShapeMemo;  // (i, j, k, star)
    MemoTable NeckMemo;   // (i, j, k)
};

// Re-creates both memo tables empty, with room for every corner of the meshes of the current
// line counts, made whole as the meshes make them: (i, j, k, star) up to (N, 12 N, 5, 2) and
// (i, j, k) up to (K, K, 5), N = LatLines1 and K = NeckLines.
inline void RecreateMemoTables(ModelState& m) {
    const double n = WholeCount(m.LatLines1);
    const double k = WholeCount(m.NeckLines);
    m.ShapeMemo.Recreate(n, 12 * n, 5, 2);
    m.NeckMemo.Recreate(k, k, 5);
}

}  // namespace vp
