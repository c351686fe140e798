// The file-name panel: saving and loading star parameters, saving the star picture.
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "core/atomic_file.h"
#include "photometry/star_file.h"
#include "shell/main_form.h"

namespace vp {
namespace {

// Whether a path lies inside one of the program's output folders under the application folder.
bool InsideOutputFolder(const std::string& appFolder, const std::string& path) {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path target = fs::weakly_canonical(fs::absolute(path, ec), ec);
    if (ec) return false;
    for (const char* folder : {"Stars", "LightCurves", "Animation"}) {
        fs::path base = fs::weakly_canonical(fs::absolute(fs::path(appFolder) / folder, ec), ec);
        if (ec) continue;
        auto [b, t] = std::mismatch(base.begin(), base.end(), target.begin(), target.end());
        if (b == base.end() && t != target.end()) return true;
    }
    return false;
}

// The program's error number and description for a failed file operation.
std::pair<int, std::string> FileError(int error, bool reading) {
    switch (error) {
        case ENOENT:
            return reading ? std::pair{53, "File not found"} : std::pair{76, "Path not found"};
        case EACCES:
        case EPERM:
        case EROFS:
            return {70, "Permission denied"};
        case ENOSPC:
            return {61, "Disk full"};
        default:
            return {75, "Path/File access error"};
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

void MainForm::cmbSaveBMP_Click() {
    const std::string stars = port_.AppFolder() + "/Stars";
    if (!port_.FolderExists(stars)) {
        ShowInfo("A 'Stars' folder has been created at " + stars + ".");
        if (!port_.CreateFolder(stars)) {
            auto [number, description] = FileError(errno, false);
            ShowError(number, description, "FileSave");
            return;
        }
    }
    const std::string path = txtBMPName.text;
    const bool loading = lblSaveAs.caption == "Load Star Parameters . . . ";
    if (!loading && !InsideOutputFolder(port_.AppFolder(), path)) {
        // Files are written only into the program's own folders.
        ShowError(75, "Path/File access error", "FileSave");
        return;
    }
    std::string error;
    if (lblSaveAs.caption == "Save Bitmap As . . . ") {
        errno = 0;
        if (!picture.SaveBitmap(path, &error)) {
            auto [number, description] = FileError(errno, false);
            ShowError(number, description, "FileSave");
            return;
        }
    } else if (loading) {
        std::string bytes;
        errno = 0;
        if (!ReadWholeFile(path, bytes)) {
            auto [number, description] = FileError(errno, true);
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
            auto [number, description] = FileError(errno, false);
            ShowError(number, description, "FileSave");
            return;
        }
    }
    frameSaveBMP.visible = false;
}

}  // namespace vp
