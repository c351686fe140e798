// Photometry of each drawn frame, the plot, and the light-curve recording.
#include <cerrno>
#include <cmath>
#include <cstring>

#include "core/atomic_file.h"
#include "core/constants.h"
#include "core/fault.h"
#include "photometry/light_curve_file.h"
#include "photometry/light_curve_plot.h"
#include "photometry/pixel_sum.h"
#include "shell/main_form.h"

namespace vp {

void MainForm::Photometry_Click() {
    LightCurveStore& s = curve;
    if (model.Eta == 0) {
        if (chkSave.checked) SaveFile();
        --s.ColorChannel;
    }
    if (s.ColorChannel < 1) s.ColorChannel = 3;

    s.Brightness = static_cast<double>(ChannelSum(picture, s.ColorChannel));

    const double index = std::floor(model.Eta * PlotWidth / (kPi + kPi));
    if (!(index >= 0 && index < LightCurveStore::kSlots)) {
        // A phase outside the store (negative, or far beyond one turn) is not kept.
        if (index < PlotWidth && index >= -1e9) Line1X = static_cast<int>(index);
        return;
    }
    s.PlotIndex = static_cast<int>(index);
    s.CurvePhase[s.PlotIndex] = model.Eta;
    if (s.PlotIndex < PlotWidth) Line1X = s.PlotIndex;

    if (chkMag.checked) Assign(s.Brightness, std::log(s.Brightness) / std::log(2.512));

    s.LightCurve[s.ColorChannel][s.PlotIndex] = s.Brightness;
    if (s.Brightness > s.CurveMax) {
        s.CurveMax = s.Brightness;
        Replot(s, plotPicture, PlotWidth);
    }
    if (s.Brightness < s.CurveMin) {
        s.CurveMin = s.Brightness;
        Replot(s, plotPicture, PlotWidth);
    }

    std::optional<int> row = PlotRow(s, s.LightCurve[s.ColorChannel][s.PlotIndex]);
    if (row) s.PlotY = *row;
    if (s.PlotY < 300) {
        s.PlotColor = ChannelColour(s.ColorChannel);
        plotPicture.Circle(s.PlotIndex, s.PlotY, 2, s.PlotColor, false);
        if (s.PlotIndex > s.PrevX && s.PrevX != -1)
            plotPicture.Line(s.PrevX, s.PrevY, s.PlotIndex, s.PlotY, kWhite);
        s.PrevX = s.PlotIndex;
        s.PrevY = s.PlotY;
    }
}

std::string MainForm::LightCurvePath() const {
    const std::string& name = txtFilename.text;
    // A name with a folder part is used as typed, under LightCurves; a full path as it stands.
    if (!name.empty() && name[0] == '/') return name;
    return port_.AppFolder() + "/LightCurves/" + name;
}

void MainForm::SaveFile() {
    LightCurveText file = LightCurveFileText(curve, PlotWidth, chkMag.checked);
    const std::string path = LightCurvePath();
    errno = 0;
    if (!WriteFileAtomically(path, file.bytes)) {
        // The cause is named; a file that cannot be written ends the recording after a few
        // turns instead of failing on every one.
        const std::string failure =
            "The light curves cannot be saved to " + path + ": " + std::strerror(errno) + ".";
        if (++lightCurveWriteFailures_ < kLightCurveWriteTries) {
            ShowInfo(failure + " The next turn tries again.");
        } else {
            SetChecked(chkSave, false);
            ShowInfo(failure + " The recording has stopped after " +
                     std::to_string(kLightCurveWriteTries) + " attempts.");
        }
        return;
    }
    lightCurveWriteFailures_ = 0;
    if (file.CurveComplete && file.RowCount > 0) {
        SetChecked(chkSave, false);
        ShowInfo("The light curves have been saved to " + path + ".");
        SetChecked(AnimCheck, false);
    }
}

void MainForm::chkSave_Click() {
    if (!chkSave.checked) {
        frameMessage.visible = false;
        return;
    }
    const std::string folder = port_.AppFolder() + "/LightCurves";
    if (!port_.FolderExists(folder)) {
        ShowInfo("A 'LightCurves' folder has been created at " + folder + ".");
        port_.CreateFolder(folder);
    }
    MessageAnswer answer = port_.ShowMessage(
        "The light curves will be saved to " + LightCurvePath() + ".  \r\n" +
            "Please wait until the red, green, and blue light curve have been computed before "
            "opening the output file.",
        "Light Curves", MessageButtons::OKCancel, true);
    if (answer != MessageAnswer::OK) {
        SetChecked(chkSave, false);
        return;
    }
    lightCurveWriteFailures_ = 0;
    txtEta.text = "0";
    SetChecked(AnimCheck, true);
    Refresh_Click();
    SetChecked(chkPhotometry, true);
    SetChecked(AnimCheck, true);
    txtEta.text = "0";
    Refresh_Click();
    lblMessage.caption = "Creating Light Curves";
    if (frameMessage.visible) lblMessage.caption = kStarsCutMessage;  // its drawing was cut
    cmdPlot_Click();
}

void MainForm::mnuSaveLC_Click() {
    cmdExtras_Click();
    port_.DoEvents();
    SetChecked(chkSave, true);
}

}  // namespace vp
