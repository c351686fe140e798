#include "headless/scratch_folder.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "core/temporaries.h"

namespace vp {
namespace {

std::vector<std::string> Candidates() {
    std::vector<std::string> folders;
    const char* tmpdir = std::getenv("TMPDIR");
    if (tmpdir && *tmpdir) {
        std::string folder = tmpdir;
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        folders.push_back(folder);
    }
    for (const char* fallback : {"/tmp", "/var/tmp"})
        if (folders.empty() || folders.front() != fallback) folders.push_back(fallback);
    return folders;
}

}  // namespace

ScratchFolder::ScratchFolder(const std::string& prefix) {
    std::string reasons;
    for (const std::string& folder : Candidates()) {
        std::string pattern = folder + "/" + prefix + "-" + std::to_string(::getpid()) + "-XXXXXX";
        if (MakeTemporaryFolder(pattern)) {
            path = pattern;
            return;
        }
        reasons += (reasons.empty() ? "" : "; ") + folder + ": " + std::strerror(errno);
    }
    throw std::runtime_error("no folder takes the scratch files (" + reasons +
                             "); set TMPDIR to a writable folder");
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
    ForgetTemporary(path);
}

}  // namespace vp
