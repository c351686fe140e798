// vandrel-cli lightcurve --all-atlas: the light curve of every atlas system, recorded on
// worker threads (a fresh window object per system), one CSV per system and an index.
#pragma once

#include <string>
#include <vector>

#include "headless/options.h"
#include "headless/precise_model.h"

namespace vp {

struct BatchRequest {
    std::string dir;
    CommonOptions options;                    // applied to every system after choosing it
    int magnitudes = -1;                      // as RecordCurve
    bool plots = false;                       // DIR/plots/NAME.png
    std::vector<std::string> only;            // list names; empty for all
    long limit = -1;                          // at most this many systems, -1 for all
    long jobs = 0;                            // worker threads, 0 for one per core
    const PreciseRequest* precise = nullptr;  // the flux engine instead of the recording
};

// Returns the exit code: 0 all recorded, 1 when a system failed or DIR cannot be written,
// 2 when a name given with --only is not in the atlas.
int RunAtlasBatch(const BatchRequest& request);

}  // namespace vp
