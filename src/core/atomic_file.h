// Writing a whole file so that a reader never sees it half-written: the bytes go to a
// temporary file in the same folder, which replaces the target only when complete.
#pragma once

#include <string>
#include <string_view>

namespace vp {

// Returns true on success. On failure the target is untouched, no temporary file is left
// behind, and error (when given) receives a short description of what failed.
bool WriteFileAtomically(const std::string& path, std::string_view bytes,
                         std::string* error = nullptr);

// Reads a whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string* error = nullptr);

}  // namespace vp
