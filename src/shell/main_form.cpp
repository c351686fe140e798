#include "shell/main_form.h"

#include "core/number_text.h"

namespace vp {

MainForm::MainForm(PlatformPort& port) : port_(port) {
    InitialiseControls();
    LastScrollPos.fill(15000);
    plotPicture.Resize(kPlotWidth, kPlotHeight);
}

Control& MainForm::Add(Control& c, const std::string& name, ControlKind kind) {
    c.name = name;
    c.kind = kind;
    controls_.push_back(&c);
    return c;
}

void MainForm::InitialiseControls() {
    // Parameter boxes hold a short text; file names and the note have no length of their own.
    auto box = [&](Control& c, const char* name, const char* text,
                   int maxLength = kParameterTextMaxLength) {
        Add(c, name, ControlKind::TextBox).text = text;
        c.maxLength = maxLength;
    };
    box(txtIota, "txtIota", "82");
    box(Qratio, "Qratio", "2.4");
    box(txtN1, "txtN1", "7");
    box(txtRadius1, "txtRadius1", "0.305");
    box(txtLimb1, "txtLimb1", "0.5");
    box(txtTemp1, "txtTemp1", "8200");
    box(txtRadius2, "txtRadius2", "0.45");
    box(txtLimb2, "txtLimb2", "0.5");
    box(txtTemp2, "txtTemp2", "8200");
    box(txtAnimSpeed, "txtAnimSpeed", "5");
    box(txtZoom, "txtZoom", "100");
    box(txtGamma, "txtGamma", "0");
    box(txtEta, "txtEta", "0");
    box(txtRotPer, "txtRotPer", "0.3");
    box(txtFilename, "txtFilename", "vandrel1.csv", 0);
    box(txtBMPName, "txtBMPName", "Bitmap File Name", 0);
    box(txtMessage, "txtMessage",
        "Note: One star may not be visible because the temperature difference between the two "
        "stars is large.  \r\nHowever, the light curve generated using the Stefan-Boltzmann Law "
        "will be more accurate.\r\n",
        0);
    for (int k = 1; k <= 14; ++k)
        Add(VScroll[k], "VScroll" + std::to_string(k), ControlKind::ScrollBar);

    auto check = [&](Control& c, const char* name, const char* caption, bool checked) {
        Add(c, name, ControlKind::CheckBox);
        c.caption = caption;
        c.checked = checked;
    };
    check(AnimCheck, "AnimCheck", "Animate    Step (\u00b0)", true);
    check(chkPhotometry, "chkPhotometry", "Photometry", true);
    check(chkSpherical, "chkSpherical", "Tidal Effects", true);
    check(chkStefan, "chkStefan", "Stefan-Boltzmann", true);
    check(chkNeck, "chkNeck", "Contact Neck", false);
    check(chkGran, "chkGran", "Granulation", false);
    check(chkSimAreas, "chkSimAreas", "Similar Areas", true);
    check(TwoStarsCheck, "TwoStarsCheck", "Star 2 Active", true);
    check(chkBMP, "chkBMP", "Create Bitmap Animation Frames", false);
    check(chkSave, "chkSave", "Save Light Curve", false);
    check(chkMag, "chkMag", "Use Magnitude Scale", true);
    auto option = [&](Control& c, const char* name, const char* caption, bool checked) {
        Add(c, name, ControlKind::OptionButton);
        c.caption = caption;
        c.checked = checked;
    };
    option(chkPaint, "chkPaint", "Paint", true);
    option(chkDots, "chkDots", "Dots", false);
    option(chkGrid, "chkGrid", "Grid", false);

    auto frame = [&](Control& c, const char* name, const char* caption, bool visible) {
        Add(c, name, ControlKind::Frame);
        c.caption = caption;
        c.visible = visible;
    };
    frame(FrameSwitches, "FrameSwitches", " System Parameters ", true);
    frame(FrameStar1, "FrameStar1", " Star 1 ", true);
    frame(FrameStar2, "FrameStar2", " Star 2 ", true);
    frame(FramePhotometry, "FramePhotometry", " Settings ", true);
    frame(Frame2, "Frame2", "Settings", true);
    frame(Frame3, "Frame3", "Saving", true);
    frame(HelpAreaFrame, "HelpAreaFrame", "", false);
    frame(TestingAreaFrame, "TestingAreaFrame", "", false);
    frame(frameSaveBMP, "frameSaveBMP", "", false);
    frame(frameMessage, "frameMessage", "", false);

    auto label = [&](Control& c, const char* name, const char* caption) -> Control& {
        Add(c, name, ControlKind::Label).caption = caption;
        return c;
    };
    label(Label21, "Label21", "Pictorial Atlas Stars").bold = true;
    Control& slide = label(lblSlideShow, "lblSlideShow", "Star Name");
    slide.bold = true;
    slide.fontSize = 24;
    slide.visible = false;
    label(lblSaveAs, "lblSaveAs", "Save Bitmap As . . .");
    Control& wait = label(Label7, "Label7", "Please wait...");
    wait.bold = true;
    wait.foreColour = kRed;
    label(lblMessage, "lblMessage", "Computing Light Curve");
    label(Label28, "Label28", "Vandrel Pro").bold = true;
    label(Label27, "Label27", "").bold = true;
    label(Label19, "Label19", "Current Parameters");
    label(Label20, "Label20", "Roche Lobe");
    label(Label18, "Label18", "More Details: ");
    label(Label16, "Label16", "");
    Label28.fontSize = Label27.fontSize = 9.75;
    Label16.backColour = RGB(128, 128, 255);
    FrameStar1.foreColour = FrameStar2.foreColour = kLightGrey;

    Add(StarNameList, "StarNameList", ControlKind::ListBox);
    Add(HelpList, "HelpList", ControlKind::ListBox);
    Add(StarSizeList, "StarSizeList", ControlKind::ListBox);
    Add(RocheList, "RocheList", ControlKind::ListBox);

    auto button = [&](Control& c, const char* name, const char* caption) {
        Add(c, name, ControlKind::Button).caption = caption;
    };
    button(SlideShow, "SlideShow", "Start Slide Show");
    button(cmdPlot, "cmdPlot", "Plot");
    button(HelpButton, "HelpButton", "Help");
    button(cmdExtras, "cmdExtras", "Extras");
    button(Refresh, "Refresh", "Refresh");
    button(cmbSaveBMP, "cmbSaveBMP", "Save");
    button(cmdCancel, "cmdCancel", "Cancel");

    Add(Picture1, "Picture1", ControlKind::Picture);
    Add(PicturePlot, "PicturePlot", ControlKind::Picture);
}

Control* MainForm::FindControl(const std::string& name) {
    for (Control* c : controls_)
        if (c->name == name) return c;
    return nullptr;
}

void MainForm::ShowSlowIteration() {
    port_.ShowMessage(" 10", kAppTitle, MessageButtons::OK, false);
}

void MainForm::MarkStar1Unstable() {
    FrameStar1.caption = " Star 1 - Unstable ";
    FrameStar1.foreColour = kRed;
}

void MainForm::ShowInfo(const std::string& text) {
    port_.ShowMessage(text, kAppTitle, MessageButtons::OK, false);
}

void MainForm::SetChecked(Control& box, bool checked) {
    if (box.kind == ControlKind::OptionButton) {
        if (!checked) {
            box.checked = false;
            return;
        }
        if (box.checked) return;
        for (Control* option : {&chkPaint, &chkDots, &chkGrid}) option->checked = option == &box;
        FireClick(box);
        return;
    }
    if (box.checked == checked) return;
    box.checked = checked;
    FireClick(box);
}

void MainForm::ClickCheck(Control& box) {
    SetChecked(box, box.kind == ControlKind::OptionButton ? true : !box.checked);
}

}  // namespace vp
