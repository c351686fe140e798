// The file-name panel: saving and loading star parameters, saving the star picture.
#include <cerrno>
#include <cstring>

#include "core/atomic_file.h"
#include "photometry/star_file.h"
#include "shell/main_form.h"

namespace vp {
namespace {

// The program's error number and description for a failed file operation, naming its cause;
// detail, when given, says what failed (the file functions' own text).
std::pair<int, std::string> FileError(int error, bool reading, const std::string& detail = "") {
    switch (error) {
        case ENOENT:
            return reading ? std::pair{53, "File not found"} : std::pair{76, "Path not found"};
        case EACCES:
        case EPERM:
            return {70, "Permission denied"};
        case ENOSPC:
        case EDQUOT:
            return {61, "Disk full"};
        default:
            return {75, "Path/File access error: " +
                            (detail.empty() ? std::string(std::strerror(error)) : detail)};
    }
}

}  // namespace

void MainForm::ShowSavePanel(const std::string& caption, const std::string& button,
                             const std::string& file) {
    lblSaveAs.caption = caption;
    cmbSaveBMP.caption = button;
    txtBMPName.text = port_.AppFolder() + "/Stars/" + file;
    frameSaveBMP.visible = true;
}

void MainForm::mnuSaveStar_Click() {
    ShowSavePanel("Save Star Parameters As . . . ", "Save", "Star1.txt");
}
void MainForm::mnuSaveBitmap_Click() {
    ShowSavePanel("Save Bitmap As . . . ", "Save", "Star1.bmp");
}
void MainForm::mnuLoad_Click() {
    ShowSavePanel("Load Star Parameters . . . ", "Load", "Star1.txt");
}
void MainForm::cmdCancel_Click() {
    frameSaveBMP.visible = false;
}

// The path is the user's: a file is saved wherever they typed and may write, always through
// a temporary file that replaces the target when complete.
void MainForm::cmbSaveBMP_Click() {
    const std::string stars = port_.AppFolder() + "/Stars";
    if (!port_.FolderExists(stars)) {
        ShowInfo("A 'Stars' folder has been created at " + stars + ".");
        errno = 0;
        if (!port_.CreateFolder(stars)) {
            auto [number, description] = FileError(errno, false);
            ShowError(number, description, "FileSave");
            return;
        }
    }
    const std::string path = txtBMPName.text;
    std::string error;
    if (lblSaveAs.caption == "Save Bitmap As . . . ") {
        errno = 0;
        if (!picture.SaveBitmap(path, &error)) {
            auto [number, description] = FileError(errno, false, error);
            ShowError(number, description, "FileSave");
            return;
        }
    } else if (lblSaveAs.caption == "Load Star Parameters . . . ") {
        std::string bytes;
        errno = 0;
        if (!ReadWholeFile(path, bytes, &error)) {
            auto [number, description] = FileError(errno, true, error);
            ShowError(number, description, "FileSave");
            return;
        }
        StarTexts texts;
        StarFileError bad;
        if (!ParseStarFile(bytes, texts, bad)) {
            ShowError(bad.number, bad.description, "FileSave");
            return;
        }
        Control* boxes[8] = {&Qratio,   &txtIota,  &txtRadius1, &txtRadius2,
                             &txtTemp1, &txtTemp2, &txtLimb1,   &txtLimb2};
        for (int k = 0; k < 8; ++k) boxes[k]->text = texts[k];
        Refresh_Click();
    } else {
        StarTexts texts = {Qratio.text,   txtIota.text,  txtRadius1.text, txtRadius2.text,
                           txtTemp1.text, txtTemp2.text, txtLimb1.text,   txtLimb2.text};
        errno = 0;
        if (!WriteFileAtomically(path, StarFileText(texts), &error)) {
            auto [number, description] = FileError(errno, false, error);
            ShowError(number, description, "FileSave");
            return;
        }
    }
    frameSaveBMP.visible = false;
}

}  // namespace vp
