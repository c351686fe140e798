// Paths of the files the program writes under its application folder.
#pragma once

#include <string>

namespace vp {

// Whether a file name typed by the user stays inside the folder it is joined to: not empty,
// not absolute, no ".." among its parts.
bool StaysInsideFolder(const std::string& name);

}  // namespace vp
