// The options the commands of the headless tool share: they write the window's boxes and
// switches as a user would before the command runs.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "shell/main_form.h"

namespace vp {

struct CommonOptions {
    std::vector<std::pair<std::string, std::string>> boxes;  // box name, text, in given order
    std::vector<std::pair<std::string, bool>> switches;      // check box name, state
    int width = 832;
    int height = 365;
    bool verbose = false;
};

// Parses one option at args[index] (advancing index past its value). Returns false with a
// message when the option is unknown to the shared set or lacks its value; an option that
// is not shared leaves index unchanged and sets known = false.
bool ParseCommonOption(const std::vector<std::string>& args, std::size_t& index, CommonOptions& options,
                       bool& known, std::string& error);

// The help text of the shared options.
std::string CommonOptionsHelp();

// Writes the boxes and switches into the window and sizes its star picture.
void ApplyOptions(MainForm& form, const CommonOptions& options);

}  // namespace vp
