// The events of the parameter controls, the switches, the window's size and the panels.
#include <cmath>

#include "core/number_text.h"
#include "shell/main_form.h"

namespace vp {

Control& MainForm::ScrollBox(int k) {
    Control* boxes[15] = {nullptr,     &txtN1,      &txtIota,      &txtGamma,  &txtEta,
                          &txtRadius1, &txtRadius2, &txtAnimSpeed, &txtZoom,   &txtLimb1,
                          &txtLimb2,   &txtTemp1,   &txtTemp2,     &txtRotPer, &Qratio};
    return *boxes[k];
}

double MainForm::ScrollStep(int k) {
    static constexpr double steps[15] = {0,  1,    1,    5,   5,   0.01, 0.01, 1,
                                         10, 0.05, 0.05, 100, 100, 0.01, 0.1};
    return steps[k];
}

void MainForm::VScroll_Change(int k) {
    if (k < 1 || k > 14) return;
    const int position = VScroll[k].value;
    Control& box = ScrollBox(k);
    const double value = Val(box.text);
    const double stepped =
        position > LastScrollPos[k] ? value + ScrollStep(k) : value - ScrollStep(k);
    if (std::isfinite(stepped)) box.text = FormatNumber(stepped);
    LastScrollPos[k] = position;
    Refresh_Click();
}

bool MainForm::IsParameterBox(const Control& box) const {
    for (const Control* c :
         {&Qratio, &txtIota, &txtN1, &txtRadius1, &txtRadius2, &txtLimb1, &txtLimb2, &txtTemp1,
          &txtTemp2, &txtZoom, &txtGamma, &txtEta, &txtRotPer, &txtAnimSpeed})
        if (c == &box) return true;
    return false;
}

void MainForm::TextBox_KeyUp(Control& box) {
    CutToMaxLength(box);
    if (IsParameterBox(box)) Refresh_Click();
}

void MainForm::FireClick(Control& box) {
    if (&box == &chkGrid || &box == &chkDots) {
        SetChecked(chkPhotometry, false);
        Refresh_Click();
    } else if (&box == &chkSpherical || &box == &chkStefan || &box == &chkNeck ||
               &box == &chkSimAreas || &box == &chkMag || &box == &chkPaint ||
               &box == &TwoStarsCheck) {
        Refresh_Click();
    } else if (&box == &chkGran) {
        chkGran_Click();
    } else if (&box == &chkSave) {
        chkSave_Click();
    } else if (&box == &chkBMP) {
        chkBMP_Click();
    }
    // chkPhotometry and AnimCheck run no code: the frame and the timer read them.
}

void MainForm::chkGran_Click() {
    renderer.FillGranulation();
    Refresh_Click();
}

void MainForm::Form_Resize(int width, int height) {
    clientWidth = width;
    clientHeight = height;
    Refresh_Click();
}

void MainForm::SwitchPanel(Control& button, Control& panel) {
    for (Control* b : {&cmdPlot, &HelpButton, &cmdExtras}) {
        b->bold = b == &button;
        b->fontSize = b == &button ? 10 : 8;
    }
    for (Control* p : {&HelpAreaFrame, &PicturePlot, &TestingAreaFrame}) p->visible = p == &panel;
    for (Control* b : {&cmdExtras, &HelpButton, &cmdPlot})
        b->backColour = b == &button ? kButtonFace : kGrey;
}

void MainForm::cmdPlot_Click() {
    SwitchPanel(cmdPlot, PicturePlot);
}
void MainForm::HelpButton_Click() {
    SwitchPanel(HelpButton, HelpAreaFrame);
}
void MainForm::cmdExtras_Click() {
    SwitchPanel(cmdExtras, TestingAreaFrame);
}

}  // namespace vp
