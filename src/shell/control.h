// The state of one control of the main window, as the behaviour sees it. The window object
// owns one of these per control; the Qt window mirrors them onto its widgets.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "core/colour.h"
#include "core/number_text.h"

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
    int maxLength = 0;    // text boxes: the longest text they hold, 0 for no limit
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

// Cuts a text box's text to its longest length, as its widget would, never inside a
// character of several bytes.
inline void CutToMaxLength(Control& box) {
    if (box.maxLength <= 0 || box.text.size() <= static_cast<std::size_t>(box.maxLength)) return;
    std::size_t end = static_cast<std::size_t>(box.maxLength);
    while (end > 0 && (static_cast<unsigned char>(box.text[end]) & 0xC0) == 0x80) --end;
    box.text.resize(end);
}

}  // namespace vp
