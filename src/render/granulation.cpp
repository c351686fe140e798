// The granulation table: fresh uniform numbers in [0, 1) for every entry.
#include "render/renderer.h"

namespace vp {

void Renderer::FillGranulation() {
    // The table is filled with the second index outermost, through the renderer's own i and j.
    for (j = 0; j <= 100; j += 1) {
        for (i = 0; i <= 100; i += 1) {
            // 53 random bits scaled by 2^-53: uniform over [0, 1), never 1.
            const double u = static_cast<double>(random_() >> 11) * 0x1.0p-53;
            GranTable[static_cast<int>(i)][static_cast<int>(j)] = u;
        }
    }
}

}  // namespace vp
