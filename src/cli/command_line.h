// The argument loop the commands share: common options, the command's own options, --help.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "headless/options.h"

namespace vp {

// Handles one of the command's own options at args[i]; returns false when it is not one of
// them. May advance i past a value; sets error for a bad value.
using OwnOption =
    std::function<bool(const std::vector<std::string>& args, std::size_t& i, std::string& error)>;

// Parses args; returns -1 to go on, or the exit code to end with (0 after --help, 2 for a
// usage error, with its one-line message on stderr).
int ParseCommandLine(const std::vector<std::string>& args, const std::string& command,
                     const std::string& usage, CommonOptions& options, const OwnOption& own);

// The value after an option, or an error when there is none.
bool TakeValue(const std::vector<std::string>& args, std::size_t& i, std::string& value,
               std::string& error);

}  // namespace vp
