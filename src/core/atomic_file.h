// Writing a whole file so that a reader never sees it half-written: the bytes go to a
// temporary file in the same folder, which replaces the target only when complete. Reading a
// whole file without ever waiting on something that is not one.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vp {

// Returns true on success. On failure the target is untouched, no temporary file is left
// behind, errno holds the cause and error (when given) says what failed and why. The
// temporary file is created anew (never through a link) and the rename replaces a link at
// the target's name rather than writing where it points. A folder, a device, a FIFO or a
// socket at the target's name is never replaced (errno EISDIR, EINVAL).
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         std::string* error = nullptr);

// The largest file ReadWholeFile reads: far beyond any star file or observed light curve.
inline constexpr std::size_t kMaxReadBytes = std::size_t{64} << 20;

// Reads a whole regular file of at most kMaxReadBytes. Anything else is refused at once,
// without waiting or reading: a folder (errno EISDIR), a device such as /dev/zero, a FIFO or
// a socket (EINVAL), a larger file (EFBIG). On failure errno holds the cause, bytes is left
// alone and error (when given) says what failed and why.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* error = nullptr);

}  // namespace vp
