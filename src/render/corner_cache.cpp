#include "render/corner_cache.h"

namespace vp {

bool CornerCache::Begin(const MemoTable& memo, const Config& config) {
    if (&memo == table_ && memo.Generation() == generation_ && config == config_) return true;
    corners_.clear();
    table_ = &memo;
    generation_ = memo.Generation();
    config_ = config;
    return true;
}

}  // namespace vp
