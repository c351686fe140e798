// File names made from the names of systems, for the files of a batch.
#pragma once

#include <string>
#include <vector>

namespace vp {

// A file name for a system's name: letters, digits, '-' and '.' kept, every other run of
// characters one '_', no leading dot; unique among the names already in used (ignoring case).
std::string SafeFileName(const std::string& name, std::vector<std::string>& used);

}  // namespace vp
