// A private application folder for a window object without a window, removed at the end, and
// by a termination signal where the program asks for that (see core/temporaries.h).
#pragma once

#include <string>

namespace vp {

// Made under $TMPDIR, else /tmp, else /var/tmp, as "PREFIX-PID-XXXXXX" (mode 0700, a name no
// other process holds). Throws std::runtime_error naming each folder tried and why it failed
// when none of them takes a new folder.
struct ScratchFolder {
    explicit ScratchFolder(const std::string& prefix = "vandrel-cli");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    std::string path;
};

}  // namespace vp
