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

// Reports a failure whose cause is the errno e; errno is left at e for the caller.
bool Fail(std::string* error, const std::string& what, int e) {
    if (error) *error = what + ": " + std::strerror(e);
    errno = e;
    return false;
}

// Refuses with a reason of its own, errno set to e for the caller.
bool Refuse(std::string* error, const std::string& reason, int e) {
    if (error) *error = reason;
    errno = e;
    return false;
}

// Closes fd and removes the temporary file of a failed write, keeping the failure's errno.
bool Abandon(int fd, const std::string& temporary, std::string* error, const std::string& what) {
    const int e = errno;
    if (fd >= 0) ::close(fd);
    ::unlink(temporary.c_str());
    return Fail(error, what, e);
}

}  // namespace

bool WriteFileAtomically(const std::string& path, std::string_view bytes, std::string* error) {
    // A file replaces a file or a link, never a folder, a device, a FIFO or a socket.
    struct stat existing {};
    if (::lstat(path.c_str(), &existing) == 0) {
        if (S_ISDIR(existing.st_mode)) return Refuse(error, path + " is a folder", EISDIR);
        if (!S_ISREG(existing.st_mode) && !S_ISLNK(existing.st_mode))
            return Refuse(error, path + " is not a regular file", EINVAL);
    }
    std::string folder = ".";
    std::size_t slash = path.find_last_of('/');
    if (slash != std::string::npos) folder = slash == 0 ? "/" : path.substr(0, slash);
    std::string pattern = (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
                          ".vandrel-XXXXXX";
    int fd = MakeTemporaryFile(pattern);
    if (fd < 0) return Fail(error, "cannot create a file in " + folder, errno);
    // Renamed into place or removed, the temporary is no longer the cleanup's business; the
    // failure's errno is kept for the caller.
    struct Forget {
        const std::string& path;
        ~Forget() {
            const int e = errno;
            ForgetTemporary(path);
            errno = e;
        }
    } forget{pattern};
    std::size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Abandon(fd, pattern, error, "cannot write " + path);
        }
        written += static_cast<std::size_t>(n);
    }
    (void)::fchmod(fd, 0644);  // mkstemp makes the file private; saved files are ordinary ones
    if (::close(fd) != 0) return Abandon(-1, pattern, error, "cannot write " + path);
    if (std::rename(pattern.c_str(), path.c_str()) != 0)
        return Abandon(-1, pattern, error, "cannot replace " + path);
    return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* error) {
    // Opened without waiting, which a FIFO without a writer would make the open do.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return Fail(error, "cannot open " + path, errno);
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat info {};
    if (::fstat(fd, &info) != 0) return Fail(error, "cannot read " + path, errno);
    if (S_ISDIR(info.st_mode)) return Refuse(error, path + " is a folder", EISDIR);
    if (!S_ISREG(info.st_mode)) return Refuse(error, path + " is not a regular file", EINVAL);
    const std::string tooLarge =
        path + " is larger than " + std::to_string(kMaxReadBytes >> 20) + " MiB";
    if (static_cast<unsigned long long>(info.st_size) > kMaxReadBytes)
        return Refuse(error, tooLarge, EFBIG);

    std::string data;
    data.reserve(static_cast<std::size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0) {
            if (errno == EINTR) continue;
            return Fail(error, "cannot read " + path, errno);
        }
        if (n == 0) break;
        // A file that grows while it is read is held to the same limit.
        if (data.size() + static_cast<std::size_t>(n) > kMaxReadBytes)
            return Refuse(error, tooLarge, EFBIG);
        data.append(buffer, static_cast<std::size_t>(n));
    }
    bytes = std::move(data);
    return true;
}

}  // namespace vp
