#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "core/temporaries.h"

namespace vp {
namespace {

void SetError(std::string* error, const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    std::string folder = ".";
    std::size_t slash = path.find_last_of('/');
    if (slash != std::string::npos) folder = slash == 0 ? "/" : path.substr(0, slash);
    std::string pattern = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
                          ".vandrel-XXXXXX";
    int fd = MakeTemporaryFile(pattern);
    if (fd < 0) {
        SetError(error, "cannot create a file in " + folder);
        return false;
    }
    struct Forget {
        const std::string& path;
        ~Forget() { ForgetTemporary(path); }
    } forget{pattern};
    std::size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            SetError(error, "cannot write " + path);
            ::close(fd);
            ::unlink(pattern.c_str());
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    (void)::fchmod(fd, 0644);  // mkstemp makes the file private; saved files are ordinary ones
    if (::close(fd) != 0) {
        SetError(error, "cannot write " + path);
        ::unlink(pattern.c_str());
        return false;
    }
    if (std::rename(pattern.c_str(), path.c_str()) != 0) {
        SetError(error, "cannot replace " + path);
        ::unlink(pattern.c_str());
        return false;
    }
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* error) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) {
        SetError(error, "cannot open " + path);
        return false;
    }
    std::string data;
    char buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0) data.append(buffer, n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    if (!ok) {
        SetError(error, "cannot read " + path);
        return false;
    }
    bytes = std::move(data);
    return true;
}

}  // namespace vp
