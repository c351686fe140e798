#include "render/corner_cache.h"

namespace vp {
namespace {

// Markers are unique in the process, so two tables never share one by chance.
double NextMarker() {
    static double count = 0;
    count += 1;
    return -count;
}

}  // namespace

bool CornerCache::Begin(MemoTable& memo, const Config& config) {
    double marker = memo.Get(0, 0, 0, 0);
    if (marker != 0 && marker == marker_ && config == config_) return true;
    corners_.clear();
    config_ = config;
    if (marker == 0) {
        marker = NextMarker();
        memo.Set(0, 0, 0, 0, marker);
        if (memo.Get(0, 0, 0, 0) != marker) marker = 0;
    }
    marker_ = marker;
    return marker != 0;
}

}  // namespace vp
