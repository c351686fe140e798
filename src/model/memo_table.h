// A table of doubles with up to four whole-number keys, each running from 0 to its bound.
// Keys are doubles (the mesh counters may be fractional) rounded to the nearest whole
// number, halves to even; a key outside the bounds finds nothing and stores nothing.
#pragma once

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vp {

class MemoTable {
  public:
    // Re-creates the table with every entry 0. Bounds are rounded; a negative bound gives an
    // empty dimension.
    void Recreate(double b0, double b1, double b2, double b3 = 0) {
        std::array<double, 4> bounds{b0, b1, b2, b3};
        std::size_t total = 1;
        for (int d = 0; d < 4; ++d) {
            double r = std::nearbyint(bounds[d]);
            extent_[d] =
                (std::isfinite(r) && r >= 0 && r < 1e6) ? static_cast<std::size_t>(r) + 1 : 0;
            total *= extent_[d];
        }
        values_.assign(total, 0.0);
        ++generation_;
    }

    // Counts the re-creations: entries read under one generation stay valid until the next.
    std::uint64_t Generation() const { return generation_; }

    // Entry for the key, or 0 when the key lies outside the table.
    double Get(double k0, double k1, double k2, double k3 = 0) const {
        std::size_t index;
        return Locate(k0, k1, k2, k3, index) ? values_[index] : 0.0;
    }

    void Set(double k0, double k1, double k2, double k3, double value) {
        std::size_t index;
        if (Locate(k0, k1, k2, k3, index)) values_[index] = value;
    }

    std::size_t Size() const { return values_.size(); }

  private:
    bool Locate(double k0, double k1, double k2, double k3, std::size_t& index) const {
        std::array<double, 4> keys{k0, k1, k2, k3};
        std::size_t at = 0;
        for (int d = 0; d < 4; ++d) {
            double r = std::nearbyint(keys[d]);
            if (!(r >= 0) || r >= static_cast<double>(extent_[d])) return false;
            at = at * extent_[d] + static_cast<std::size_t>(r);
        }
        index = at;
        return true;
    }

    std::array<std::size_t, 4> extent_{0, 0, 0, 0};
    std::vector<double> values_;
    std::uint64_t generation_ = 0;
};

}  // namespace vp
