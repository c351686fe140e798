// The file-name panel: star parameter files and the saved picture.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "core/atomic_file.h"
#include "photometry/star_file.h"
#include "shell/main_form.h"
#include "support/fake_platform.h"

namespace vp {
namespace {

using testing::FakePlatform;

struct StarFiles : ::testing::Test {
    FakePlatform platform;
    MainForm form{platform};
    std::string Stars() { return platform.AppFolder() + "/Stars"; }
    void SetUp() override { form.txtN1.text = "2"; }
};

TEST_F(StarFiles, SaveWritesTheEightTextsAndMakesTheFolder) {
    form.Qratio.text = " 0.5 ";
    form.txtIota.text = "85 ";
    form.mnuSaveStar_Click();
    EXPECT_EQ(form.lblSaveAs.caption, "Save Star Parameters As . . . ");
    EXPECT_EQ(form.cmbSaveBMP.caption, "Save");
    EXPECT_EQ(form.txtBMPName.text, Stars() + "/Star1.txt");
    EXPECT_TRUE(form.frameSaveBMP.visible);
    form.cmbSaveBMP_Click();
    ASSERT_FALSE(platform.shown.empty());
    EXPECT_EQ(platform.shown[0].text, "A 'Stars' folder has been created at " + Stars() + ".");
    EXPECT_FALSE(form.frameSaveBMP.visible);
    std::string text;
    ASSERT_TRUE(ReadWholeFile(Stars() + "/Star1.txt", text));
    EXPECT_EQ(text, "q, i, r1, r2, T1, T2, w1, w2\r\n0.5,85 ,0.305,0.45,8200,8200,0.5,0.5\r\n");
}

TEST_F(StarFiles, SavedSetLoadsBack) {
    form.Qratio.text = "1.25";
    form.txtTemp2.text = "6100";
    form.mnuSaveStar_Click();
    form.cmbSaveBMP_Click();
    form.Qratio.text = "3";
    form.txtTemp2.text = "4000";
    form.txtEta.text = "40";
    form.mnuLoad_Click();
    EXPECT_EQ(form.cmbSaveBMP.caption, "Load");
    form.cmbSaveBMP_Click();
    EXPECT_EQ(form.Qratio.text, "1.25");
    EXPECT_EQ(form.txtTemp2.text, "6100");
    EXPECT_EQ(form.txtEta.text, "40");
    EXPECT_EQ(form.model.MassRatio, 1.25);
}

// Whatever the boxes hold, the file saved from them loads back into the same boxes: texts
// that are no plain number, empty ones, and commas and quotes inside a text.
TEST_F(StarFiles, EverySavedTextLoadsBack) {
    const StarTexts typed = {" 0.5 ", "", "0.35,2", "0.4 ", "5000 K", "4 500", "abc", "\"0.5,2"};
    Control* boxes[8] = {&form.Qratio,   &form.txtIota,  &form.txtRadius1, &form.txtRadius2,
                         &form.txtTemp1, &form.txtTemp2, &form.txtLimb1,   &form.txtLimb2};
    for (int k = 0; k < 8; ++k) boxes[k]->text = typed[k];
    form.mnuSaveStar_Click();
    form.cmbSaveBMP_Click();
    for (Control* box : boxes) box->text = "9";
    form.mnuLoad_Click();
    form.cmbSaveBMP_Click();
    EXPECT_FALSE(form.frameSaveBMP.visible) << platform.shown.back().text;
    // The mass ratio loses its blanks on saving, a trailing blank is dropped on loading, a
    // double quote in a quoted text comes back as an apostrophe; the values read the same.
    const StarTexts loaded = {"0.5", "", "0.35,2", "0.4", "5000 K", "4 500", "abc", "'0.5,2"};
    for (int k = 0; k < 8; ++k) EXPECT_EQ(boxes[k]->text, loaded[k]) << k;
    EXPECT_EQ(form.model.PoleRadius1, 0.35);
    EXPECT_EQ(form.model.Temp2, 4500);
}

TEST_F(StarFiles, LoaderFieldRules) {
    std::filesystem::create_directories(Stars());
    const std::string path = Stars() + "/odd.txt";
    WriteFileAtomically(path,
                        "a;b,x\ny,z,w,v,u,t\r\n\"0.7\", 60\n0.3, 0.35 ,5000,\"4000\",0.4,0.6");
    form.mnuLoad_Click();
    form.txtBMPName.text = path;
    form.cmbSaveBMP_Click();
    EXPECT_TRUE(platform.shown.empty());
    EXPECT_EQ(form.Qratio.text, "0.7");
    EXPECT_EQ(form.txtIota.text, "60");
    EXPECT_EQ(form.txtRadius2.text, "0.35");
    EXPECT_EQ(form.txtTemp2.text, "4000");
    EXPECT_EQ(form.txtLimb2.text, "0.6");
}

TEST_F(StarFiles, MalformedFilesChangeNothing) {
    std::filesystem::create_directories(Stars());
    const std::string path = Stars() + "/bad.txt";
    const std::string cases[] = {
        "",
        "q, i, r1, r2, T1, T2, w1, w2\r\n1,2,3,4,5,6,7\r\n",
        std::string("\x00\x01\x02\xff\xfe,\x7f", 7) + std::string(300, '\x01'),
        "q,i,r1,r2,T1,T2,w1,w2\r\n\"1,2,3,4,5,6,7,8\r\n",
        std::string(10 * 1024 * 1024, ','),
        "q,i,r1,r2,T1,T2,w1,w2\r\n1,2,3,4,5,6,7,8\r\n9\r\n",
        "q,i,r1,r2,T1,T2,w1,w2\r\n1,2,3,4,5,6,7," + std::string(65, '8') + "\r\n",
    };
    for (const std::string& bytes : cases) {
        platform.shown.clear();
        WriteFileAtomically(path, bytes);
        form.mnuLoad_Click();
        form.txtBMPName.text = path;
        form.cmbSaveBMP_Click();
        ASSERT_EQ(platform.shown.size(), 1u) << bytes.substr(0, 20);
        EXPECT_EQ(platform.shown[0].title, "Notice");
        EXPECT_NE(platform.shown[0].text.find("occured in procedure FileSave."), std::string::npos);
        EXPECT_EQ(form.Qratio.text, "2.4");
        EXPECT_EQ(form.txtIota.text, "82");
        EXPECT_EQ(form.txtLimb2.text, "0.5");
        EXPECT_TRUE(form.frameSaveBMP.visible);
    }
    platform.shown.clear();
    form.txtBMPName.text = Stars() + "/missing.txt";
    form.cmbSaveBMP_Click();
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(platform.shown[0].text,
              "File not found (Error 53) occured in procedure FileSave. \r\n\r\n");
}

// Files are saved wherever the user typed; a failure names its cause. A link where the
// file should go is replaced, never written through.
TEST_F(StarFiles, SavesWhereTheUserTypedAndNamesTheCause) {
    namespace fs = std::filesystem;
    const fs::path app = platform.AppFolder();
    fs::create_directories(app / "elsewhere");
    form.Refresh_Click();
    form.mnuSaveStar_Click();
    form.txtBMPName.text = (app / "Stars" / ".." / "outside.txt").string();
    form.cmbSaveBMP_Click();
    EXPECT_FALSE(form.frameSaveBMP.visible);
    EXPECT_TRUE(fs::is_regular_file(app / "outside.txt"));
    form.mnuSaveBitmap_Click();
    form.txtBMPName.text = (app / "elsewhere" / "picture.bmp").string();
    form.cmbSaveBMP_Click();
    EXPECT_TRUE(fs::is_regular_file(app / "elsewhere" / "picture.bmp"));

    WriteFileAtomically((app / "victim.txt").string(), "keep");
    fs::create_symlink(app / "victim.txt", app / "Stars" / "Star1.txt");
    form.mnuSaveStar_Click();
    form.cmbSaveBMP_Click();
    std::string victim;
    ASSERT_TRUE(ReadWholeFile((app / "victim.txt").string(), victim));
    EXPECT_EQ(victim, "keep");
    EXPECT_FALSE(fs::is_symlink(app / "Stars" / "Star1.txt"));

    const std::pair<fs::path, std::string> failures[] = {
        {app / "Stars" / "nofolder" / "x.txt", "Path not found (Error 76)"},
        {app / "victim.txt" / "x.txt", "Path/File access error: cannot create a file in " +
                                           (app / "victim.txt").string() +
                                           ": Not a directory (Error 75)"},
        {app / "elsewhere",
         "Path/File access error: " + (app / "elsewhere").string() + " is a folder (Error 75)"},
        {app / "fifo", "Path/File access error: " + (app / "fifo").string() +
                           " is not a regular file (Error 75)"},
    };
    ASSERT_EQ(::mkfifo((app / "fifo").c_str(), 0600), 0);
    for (const auto& [path, message] : failures) {
        form.mnuSaveStar_Click();
        form.txtBMPName.text = path.string();
        form.cmbSaveBMP_Click();
        EXPECT_EQ(platform.shown.back().text, message + " occured in procedure FileSave. \r\n\r\n");
        EXPECT_TRUE(form.frameSaveBMP.visible);
    }
    EXPECT_TRUE(fs::is_fifo(app / "fifo"));
}

// Loading reads only a regular file of sane size: a device, a FIFO or a folder is refused at
// once with the reason, and no box changes.
TEST_F(StarFiles, LoadRefusesWhatIsNoFile) {
    const std::string fifo = platform.AppFolder() + "/fifo";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string big = platform.AppFolder() + "/big.txt";
    WriteFileAtomically(big, "q");
    std::filesystem::resize_file(big, kMaxReadBytes + 1);
    const std::pair<std::string, std::string> cases[] = {
        {"/dev/zero", "/dev/zero is not a regular file"},
        {fifo, fifo + " is not a regular file"},
        {platform.AppFolder(), platform.AppFolder() + " is a folder"},
        {big, big + " is larger than 64 MiB"},
    };
    for (const auto& [path, reason] : cases) {
        form.mnuLoad_Click();
        form.txtBMPName.text = path;
        form.cmbSaveBMP_Click();
        EXPECT_EQ(platform.shown.back().text, "Path/File access error: " + reason +
                                                  " (Error 75) occured in procedure FileSave. "
                                                  "\r\n\r\n");
        EXPECT_EQ(form.Qratio.text, "2.4");
    }
}

TEST_F(StarFiles, SaveBitmapWritesThePicture) {
    form.Refresh_Click();
    form.mnuSaveBitmap_Click();
    EXPECT_EQ(form.lblSaveAs.caption, "Save Bitmap As . . . ");
    EXPECT_EQ(form.txtBMPName.text, Stars() + "/Star1.bmp");
    form.cmbSaveBMP_Click();
    std::string bytes;
    ASSERT_TRUE(ReadWholeFile(Stars() + "/Star1.bmp", bytes));
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    form.mnuSaveBitmap_Click();
    form.cmdCancel_Click();
    EXPECT_FALSE(form.frameSaveBMP.visible);
}

}  // namespace
}  // namespace vp
