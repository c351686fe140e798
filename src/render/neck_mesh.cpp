// The neck of a contact system: a tube about the line of centres, in rings and sectors.
#include <cmath>

#include "core/constants.h"
#include "core/fault.h"
#include "core/rounding.h"
#include "render/renderer.h"

namespace vp {

void Renderer::MakeNeck() {
    const ModelState& m = *m_;
    Rho = m.PoleRadius1;
    SetStarOffsets(1);
    const View view = MakeView(m.Eta, m.Iota, m.Gamma);

    // Rings and sectors are counted in whole numbers, and the angles use the same count.
    const double K = WholeCount(m.NeckLines);
    // Rings from the far end of the axis to the near end.
    double step;
    if (view.cosA < 0) {
        JFirst = 0;
        JLast = K - 1;
        step = 1;
    } else {
        JFirst = K - 1;
        JLast = 0;
        step = -1;
    }

    CornerCache* cache = nullptr;
    if (neckCorners_.Begin(m_->NeckMemo, {K, step, view.twoS, 0})) cache = &neckCorners_;
    std::size_t corner = 0;

    // Sectors count up from 0 in whole steps, so sector i's edges are angles i and i + 1.
    ringAngles_.clear();
    for (double n = 0; n <= K; n += 1) ringAngles_.push_back(MakeAngle(2 * kPi * n / K));

    for (double ring = JFirst; step > 0 ? ring <= JLast : ring >= JLast; ring += step) {
        j = ring;
        // Each ring reaches a tenth of a ring beyond its nominal edges on both sides.
        const double zStar2Side = (ring + 1.1) / K;
        const double zStar1Side = (ring - 0.1) / K;
        for (double sector = 0; sector <= K - 1; sector += 1) {
            i = sector;
            const auto n = static_cast<std::size_t>(sector);
            const Angle& next = ringAngles_[n + 1];
            const Angle& here = ringAngles_[n];
            const Angle* around[6] = {nullptr, &next, &here, &here, &next, &next};
            const double along[6] = {0, zStar2Side, zStar2Side, zStar1Side, zStar1Side, zStar1Side};
            for (int k = 1; k <= 5; ++k) {
                Phi = around[k]->value;
                ZC = along[k];
                CachedNeckPoint(cache, corner++, *around[k], ZC, view, CellCorners[k], sector, ring,
                                k);
            }
            if (cache != nullptr) SetNeckSideValues(zStar1Side);  // as the fifth corner leaves them
            // Temperature runs linearly across 0.1 of the separation about the inner
            // Lagrangian point.
            const double z = zStar1Side;
            if (std::fabs(z - m.L1Point) < 0.05) {
                Assign(Temp, m.Temp1 + (m.Temp2 - m.Temp1) * ((z - m.L1Point) + 0.05) / 0.1);
            }
            DrawNeckCell(PoleRadius, Limb, Temp, 1, sector, ring);
        }
    }
}

}  // namespace vp
