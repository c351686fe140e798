#include "render/picture_fit.h"

#include <algorithm>
#include <cmath>

namespace vp {
namespace {

constexpr std::uint32_t kColourBits = 0x00FFFFFF;  // blue, green, red; not the unused byte

}  // namespace

bool StarsCutByEdge(const Surface& picture) {
    const int w = picture.Width(), h = picture.Height();
    if (w <= 0 || h <= 0) return false;
    const std::uint32_t* words = picture.Words();
    auto lit = [&](int x, int y) {
        return (words[static_cast<std::size_t>(y) * w + x] & kColourBits) != 0;
    };
    for (int x = 0; x < w; ++x)
        if (lit(x, 0) || lit(x, h - 1)) return true;
    for (int y = 0; y < h; ++y)
        if (lit(0, y) || lit(w - 1, y)) return true;
    return false;
}

DrawingReach ReachFromCentre(const Surface& picture) {
    const int w = picture.Width(), h = picture.Height();
    const double cx = picture.ScaleWidth() / 2, cy = picture.ScaleHeight() / 2;
    int left = w, right = -1, top = h, bottom = -1;
    const std::uint32_t* words = picture.Words();
    for (int y = 0; y < h; ++y) {
        const std::uint32_t* row = words + static_cast<std::size_t>(y) * w;
        int first = 0;
        while (first < w && !(row[first] & kColourBits)) ++first;
        if (first == w) continue;
        int last = w - 1;
        while (!(row[last] & kColourBits)) --last;
        left = std::min(left, first);
        right = std::max(right, last);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    DrawingReach reach;
    if (right < 0) return reach;
    // A vertex at (x, y) is the centre of pixel (x, y): a lit pixel covers half a pixel more.
    reach.lit = true;
    reach.x = std::max(right + 0.5 - cx, cx - (left - 0.5));
    reach.y = std::max(bottom + 0.5 - cy, cy - (top - 0.5));
    return reach;
}

DrawingReach Farther(const DrawingReach& a, const DrawingReach& b) {
    if (!a.lit) return b;
    if (!b.lit) return a;
    return {true, std::max(a.x, b.x), std::max(a.y, b.y)};
}

double ZoomThatFits(double zoom, const DrawingReach& reach, int width, int height) {
    if (!reach.lit || !(reach.x > 0) || !(reach.y > 0)) return 0;
    // Columns 1 .. width - 2 are inside; the right side, half a pixel shorter, is the limit,
    // and one more pixel is kept free.
    const double roomX = width / 2.0 - 2.5, roomY = height / 2.0 - 2.5;
    if (!(roomX > 0) || !(roomY > 0)) return 0;
    return std::fabs(zoom) * std::min(roomX / reach.x, roomY / reach.y);
}

}  // namespace vp
