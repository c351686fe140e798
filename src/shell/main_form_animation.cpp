// The orbit animation and the bitmap frames of one turn.
#include <cstdio>

#include "core/constants.h"
#include "core/fault.h"
#include "core/number_text.h"
#include "core/rounding.h"
#include "shell/main_form.h"

namespace vp {

void MainForm::Timer1_Timer() {
    // A tick never runs inside another, also not while a message box of a tick is open.
    if (inTimer1_ || !AnimCheck.checked) return;
    inTimer1_ = true;
    Assign(model.Eta, model.Eta + Val(txtAnimSpeed.text) * kPi / 180);
    if (model.Eta >= 2 * kPi) model.Eta = 0;
    DrawStar();
    if (chkBMP.checked) picture.SaveBitmap(FrameFileName());
    if (chkBMP.checked && model.Eta == 0) {
        SetChecked(chkBMP, false);
        SetChecked(AnimCheck, false);
        ShowInfo("All of the Bitmaps have been created.");
    }
    inTimer1_ = false;
}

std::string MainForm::FrameFileName() const {
    std::int64_t degrees = RoundHalfAway(model.Eta * 180 / kPi).value_or(0);
    char digits[32];
    std::snprintf(digits, sizeof digits, degrees < 0 ? "-%03lld" : "%03lld",
                  static_cast<long long>(degrees < 0 ? -degrees : degrees));
    return port_.AppFolder() + "/Animation/frame" + digits + ".bmp";
}

void MainForm::chkBMP_Click() {
    if (!chkBMP.checked) return;
    MessageAnswer answer = port_.ShowMessage(
        "A series of Bitmaps images will now be created in the application directory.\r\n"
        "You can then use IrfanView to convert these images to GIF's and then UnFREEz to create "
        "an animated GIF.\r\n"
        "Do you want create Bitmap files?",
        "Bitmaps", MessageButtons::YesNo, true);
    if (answer != MessageAnswer::Yes) {
        SetChecked(chkBMP, false);
        return;
    }
    const std::string folder = port_.AppFolder() + "/Animation";
    if (!port_.FolderExists(folder)) {
        ShowInfo("An Animation folder has been created at " + folder + ".");
        port_.CreateFolder(folder);
    }
    txtEta.text = "0";
    SetChecked(AnimCheck, true);
    Refresh_Click();
    lblMessage.caption = "Creating Bitmaps";
}

void MainForm::mnuSaveAnimation_Click() {
    cmdExtras_Click();
    port_.DoEvents();
    SetChecked(chkBMP, true);
}

}  // namespace vp
