// Star-frame positions of a mesh's corners, kept from one frame to the next.
//
// Before the view turns it, a corner's position depends only on the mesh, on 2 S and on the
// radius the shape memo gave for it; the memo never changes an entry it holds until the
// recompute re-creates the table. So while the table has not been re-created, a corner the
// memo answered can skip both the look-up and the arithmetic. Re-creation is noticed through
// the table's generation.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/memo_table.h"

namespace vp {

struct CachedCorner {
    double r = 0;  // the memo's radius; 0 when the corner must be projected afresh
    double X = 0, Y = 0, Z = 0;
};

class CornerCache {
  public:
    using Config = std::array<double, 4>;

    // Prepares a frame of the mesh described by config whose radii come from memo. The kept
    // corners stay when the memo and the mesh are unchanged; otherwise the cache starts empty
    // and fills as the frame is drawn. Always usable (returns true).
    bool Begin(const MemoTable& memo, const Config& config);

    // The slot of the n-th corner of the frame (corners come in the same order every frame).
    CachedCorner& Slot(std::size_t n) {
        if (n >= corners_.size()) corners_.resize(n + 1);
        return corners_[n];
    }

  private:
    const MemoTable* table_ = nullptr;
    std::uint64_t generation_ = 0;
    Config config_{};
    std::vector<CachedCorner> corners_;
};

}  // namespace vp
