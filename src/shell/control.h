// The state of one control of the main window, as the behaviour sees it. The window object
// owns one of these per control; the Qt window mirrors them onto its widgets.
#pragma once

#include <string>
#include <vector>

#include "core/colour.h"

namespace vp {

// The system's button-face colour, told apart from every 24-bit colour.
constexpr Colour kButtonFace = 0x8000000F;

enum class ControlKind {
    TextBox,
    CheckBox,
    OptionButton,
    Label,
    Frame,
    Button,
    ListBox,
    ScrollBar,
    Picture,
    MenuItem,
};

struct Control {
    std::string name;
    ControlKind kind = ControlKind::Label;
    std::string text;     // text boxes
    std::string caption;  // labels, frames, buttons, check boxes, option buttons
    bool checked = false;
    bool visible = true;
    Colour foreColour = kBlack;
    Colour backColour = kButtonFace;
    bool bold = false;
    double fontSize = 8;
    std::vector<std::string> items;  // list boxes
    int listIndex = -1;              // selected item, -1 for none
    int value = 15000;               // scroll bars: position 0..30000
};

}  // namespace vp
