// A private application folder for one run of the tool's window object, removed at the end,
// and by a termination signal (see core/temporaries.h).
#pragma once

#include <string>

namespace vp {

// Made under $TMPDIR, else /tmp, else /var/tmp, as "vandrel-cli-PID-XXXXXX" (mode 0700, a name
// no other process holds). Throws std::runtime_error naming each folder tried and why it failed
// when none of them takes a new folder.
struct ScratchFolder {
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string path;
};

}  // namespace vp
