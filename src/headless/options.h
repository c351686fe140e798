// The options the commands of the headless tool share: they write the window's boxes and
// switches as a user would before the command runs.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "headless/scratch_folder.h"
#include "shell/main_form.h"

namespace vp {

struct CommonOptions {
    std::vector<std::pair<std::string, std::string>> boxes;  // box name, text, in given order
    std::vector<std::pair<std::string, bool>> switches;      // check box name, state
    std::string star;      // an atlas system chosen before the other options
    std::string loadStar;  // a star parameter file loaded before the other options
    int width = 832;
    int height = 365;
    bool verbose = false;
    bool fitZoom = false;  // the largest zoom at which the whole orbit stays in the picture
    std::vector<std::string> warnings;  // texts of box options that do not read as a number
};

// Parses one option at args[index] (advancing index past its value). Returns false with a
// message when the option is unknown to the shared set or lacks its value; an option that
// is not shared leaves index unchanged and sets known = false.
bool ParseCommonOption(const std::vector<std::string>& args, std::size_t& index,
                       CommonOptions& options, bool& known, std::string& error);

// The help text of the shared options.
std::string CommonOptionsHelp();

// Sizes the window's star picture, chooses the atlas system and loads the star file when
// asked, then writes the boxes and switches, and with fitZoom the zoom that fits the orbit.
// False with a message when the system is not in the atlas, the file cannot be loaded (the
// window's error report text) or no zoom fits.
bool ApplyOptions(MainForm& form, const CommonOptions& options, std::string& error);

}  // namespace vp
