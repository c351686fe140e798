// Cutting a star into cells of latitude and longitude, painted row by row.
#include <cmath>

#include "core/constants.h"
#include "core/fault.h"
#include "core/rounding.h"
#include "render/renderer.h"

namespace vp {

void Renderer::MakeStar(int StarNum) {
    StarMesh(StarNum, false);
}

void Renderer::MakeStarContact(int StarNum) {
    StarMesh(StarNum, true);
}

void Renderer::StarMesh(int StarNum, bool contact) {
    SetStarValues(StarNum);
    const View view = MakeView(m_->Eta, m_->Iota, m_->Gamma);
    // Radii from the shape memo can be kept with the corners.
    CornerCache* cache = nullptr;
    if (sw_->tidal && sw_->twoStars && (StarNum == 1 || StarNum == 2)) {
        CornerCache& kept = starCorners_[StarNum - 1][contact ? 1 : 0];
        const double similar = sw_->similarAreas ? 1 : 0;
        if (kept.Begin(m_->ShapeMemo, {WholeCount(LatLines), similar, view.twoS, 0})) cache = &kept;
    }
    std::size_t corner = 0;
    StarRows(StarNum, contact, true, view, cache, corner);
    StarRows(StarNum, contact, false, view, cache, corner);
}

// Northern rows run from the pole down to the equator, southern rows from the equator down to
// the south pole. A contact star covers only the half circle of longitude facing away from its
// companion, with as many cells per row as a whole detached star of the same lines.
void Renderer::StarRows(int StarNum, bool contact, bool north, const View& view, CornerCache* cache,
                        std::size_t& corner) {
    // The rows and columns are counted in whole numbers, and the latitudes use the same count.
    const double N = WholeCount(LatLines);
    const double span = contact ? kPi : 2 * kPi;
    const double firstRow = north ? N - 1 : 0;
    const double lastRow = north ? 0 : N - 1;
    const double rowStep = north ? -1 : 1;
    const double TB = north ? 0 : 1;

    for (double row = firstRow; north ? row >= lastRow : row <= lastRow; row += rowStep) {
        i = row;
        const double phiLow = kPi * row / (2 * N);
        const double phiHigh = kPi * (row + 1) / (2 * N);
        const Angle low = MakeAngle(north ? phiLow : -phiLow);
        const Angle high = MakeAngle(north ? phiHigh : -phiHigh);
        // North: one latitude step beyond the equator-side edge; south: on that edge.
        const Angle fifth = north ? MakeAngle(kPi * (row - 1) / (2 * N)) : low;

        if (sw_->similarAreas) {
            Assign(CellsInRow, Int(4 * N * std::cos(phiLow) + 0.5));
        } else {
            CellsInRow = contact ? N : 2 * N;
        }
        const double M = CellsInRow;

        double firstCol = 0, lastCol = M - 1;
        if (contact) {
            JFirst = StarNum == 1 ? 0 : M;
            JLast = StarNum == 1 ? M - 1 : 2 * M - 1;
            firstCol = JFirst;
            lastCol = JLast;
        }
        const RowLongitudes& lon = Longitudes(span, M, firstCol, lastCol);

        std::size_t n = 0;
        for (double col = firstCol; col <= lastCol; col += 1, ++n) {
            j = col;
            // Southern cells key the shape memo by columns M and up.
            const double key = north ? col : M + col;
            const Angle* lats[6] = {nullptr, &low, &high, &high, &low, &fifth};
            const Angle* lons[6] = {nullptr,           &lon.edges[n],     &lon.edges[n],
                                    &lon.edges[n + 1], &lon.edges[n + 1], &lon.middles[n]};
            for (int k = 1; k <= 5; ++k) {
                Phi = lats[k]->value;
                Theta = lons[k]->value;
                CachedStarPoint(cache, corner++, StarNum, *lats[k], *lons[k], view, CellCorners[k],
                                row, key, k);
            }
            DrawCell(PoleRadius, Limb, Temp, TB, row, col);
        }
    }
}

// Column j of a row spans longitudes span * j / M - pi/2 to span * (j + 1) / M - pi/2.
const Renderer::RowLongitudes& Renderer::Longitudes(double span, double M, double firstCol,
                                                    double lastCol) {
    if (longitudes_.size() > 4096) longitudes_.clear();  // after many different meshes
    auto [it, added] = longitudes_.try_emplace({span, M, firstCol, lastCol});
    RowLongitudes& lon = it->second;
    if (!added) return lon;
    double col = firstCol;
    for (; col <= lastCol; col += 1) {
        lon.edges.push_back(MakeAngle(span * col / M - kPi / 2));
        lon.middles.push_back(MakeAngle(span * (col + 0.5) / M - kPi / 2));
    }
    // The far edge of the last column, with the counter the loop above stopped at.
    lon.edges.push_back(MakeAngle(span * col / M - kPi / 2));
    return lon;
}

}  // namespace vp
