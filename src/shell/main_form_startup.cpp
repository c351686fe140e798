// Start-up, shut-down, the help list and the error report.
#include "shell/main_form.h"

namespace vp {

std::string MainForm::VersionText() {
    return std::to_string(kVersionMajor) + "." + std::to_string(kVersionMinor) + "." +
           std::to_string(kVersionRevision);
}

std::string MainForm::VersionPageAddress() {
    return std::string("file://") + VANDREL_SHARE_DIR +
           "/web/version.html?Version=" + VersionText();
}

std::string MainForm::DetailsPageAddress() {
    return std::string("file://") + VANDREL_SHARE_DIR + "/web/details.html";
}

void MainForm::Form_Load() {
    caption = "Vandrel Pro " + VersionText() + " - Eclipsing Binary Stars";
    Label27.caption = "Version " + VersionText();
    Label16.caption = DetailsPageAddress();
    SlideIndex = 1;
    SlideShowOn = false;
    curve.ColorChannel = 3;
    port_.ShowMainWindow();
    Form_Resize(clientWidth, clientHeight);
    port_.DoEvents();
    AddHelp();
    AddStars();
    LastScrollPos.fill(15000);
    cmdPlot.bold = true;
    cmdPlot.fontSize = 10;
}

void MainForm::Form_Unload() {
    if (unloaded) return;
    unloaded = true;
    port_.OpenWebPage(VersionPageAddress());
}

void MainForm::mnuExit_Click() {
    Form_Unload();
    port_.CloseMainWindow();
}

void MainForm::AddHelp() {
    for (const char* line : {
             "Inclinations are between 90\u00b0 for edge-on orbits and 0\u00b0 for face-on orbits.",
             "The mass ratio is the mass of star 2 divided by the mass of star 1.",
             "",
             "Star radii are relative to the stellar separations (0% to 100%).",
             "'Latitude Lines' are the number of lines from the equator to the pole.",
             "Limb darkening coefficients range from 0 to 1. ",
             "Stellar temperatures range from about 3000 K to 50,000 K.",
             "",
             "Orbit animation steps should be between 0\u00b0 and 20\u00b0.",
             "If 'Tidal Effects' is unchecked then the stars will be assumed to be spherical.",
             "When the Stefan-Boltzmann Law is applied some stars may not be visible",
             "if the temperature differences between the two stars is too great.",
             "The comma delimited output data file is saved to the application directory.",
             "and can be read with a spread sheet application or text viewer.",
             "",
         })
        HelpList.items.push_back(line);
}

void MainForm::Label16_Click() {
    port_.OpenWebPage(DetailsPageAddress());
}

void MainForm::ShowError(std::int32_t eNumber, const std::string& eDesc,
                         const std::string& LastOP) {
    lastError = eDesc + " (Error " + std::to_string(eNumber) + ") occured in procedure " + LastOP +
                ". \r\n\r\n";
    port_.ShowMessage(lastError, "Notice", MessageButtons::OKCancel, false);
}

}  // namespace vp
