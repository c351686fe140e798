// The File menu's recordings and the file-name panel: a light curve, star parameters saved
// and loaded back, the star picture saved, and Cancel.
#include <fstream>
#include <sstream>

#include "qt/gui_fixture.h"

namespace vp::qt::testing {
namespace {

struct Files : WindowTest {
    std::string Read(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        text << in.rdbuf();
        return text.str();
    }
    // Ticks until the recording ends by itself; false if it does not within five turns.
    bool TickUntilSaved() {
        for (int t = 0; t < 5 * 72 && form().chkSave.checked; ++t) window->Timer1Tick();
        return !form().chkSave.checked;
    }
};

TEST_F(Files, LightCurveRecordingFromTheMenu) {
    TypeOver(Box("txtN1"), "2");
    ChooseFromFileMenu("mnuSaveLC");
    const std::string folder = port.AppFolder() + "/LightCurves";
    ASSERT_EQ(port.shown.size(), 2u);
    EXPECT_EQ(port.shown[0].text, "A 'LightCurves' folder has been created at " + folder + ".");
    EXPECT_EQ(port.shown[1].title, "Light Curves");
    EXPECT_EQ(port.shown[1].buttons, MessageButtons::OKCancel);
    EXPECT_TRUE(port.shown[1].question);
    EXPECT_TRUE(Find<QAbstractButton>("chkSave")->isChecked());
    EXPECT_TRUE(Find<QAbstractButton>("AnimCheck")->isChecked());
    // The recording runs with the plot in front.
    EXPECT_TRUE(Find<QWidget>("PicturePlot")->isVisible());

    ASSERT_TRUE(TickUntilSaved());
    const std::string path = folder + "/vandrel1.csv";
    EXPECT_EQ(port.shown.back().text, "The light curves have been saved to " + path + ".");
    EXPECT_FALSE(Find<QAbstractButton>("chkSave")->isChecked());
    EXPECT_FALSE(Find<QAbstractButton>("AnimCheck")->isChecked());
    const std::string file = Read(path);
    EXPECT_EQ(file.rfind("Phase, Red, Green, Blue\r\n", 0), 0u) << file.substr(0, 60);
    EXPECT_GT(std::count(file.begin(), file.end(), '\n'), 60);
}

TEST_F(Files, ACancelledQuestionRecordsNothing) {
    port.answers = {MessageAnswer::OK, MessageAnswer::Cancel};
    ChooseFromFileMenu("mnuSaveLC");
    EXPECT_TRUE(Find<QWidget>("TestingAreaFrame")->isVisible());
    EXPECT_TRUE(Find<QPushButton>("cmdExtras")->font().bold());
    EXPECT_FALSE(Find<QAbstractButton>("chkSave")->isChecked());
}

TEST_F(Files, AnimationFramesAreAskedForFirst) {
    port.answers = {MessageAnswer::No};
    ChooseFromFileMenu("mnuSaveAnimation");
    ASSERT_EQ(port.shown.size(), 1u);
    EXPECT_EQ(port.shown[0].title, "Bitmaps");
    EXPECT_EQ(port.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_TRUE(port.shown[0].question);
    EXPECT_TRUE(Find<QWidget>("TestingAreaFrame")->isVisible());
    EXPECT_FALSE(Find<QAbstractButton>("chkBMP")->isChecked());
}

TEST_F(Files, SavedStarLoadsBack) {
    TypeOver(Box("txtTemp1"), "9100");
    ChooseFromFileMenu("mnuSaveStar");
    auto* panel = Find<QWidget>("frameSaveBMP");
    EXPECT_TRUE(panel->isVisible());
    EXPECT_EQ(Find<QLabel>("lblSaveAs")->text(), "Save Star Parameters As . . . ");
    const std::string path = port.AppFolder() + "/Stars/Star1.txt";
    EXPECT_EQ(Text("txtBMPName").toStdString(), path);
    Click(Find<QPushButton>("cmbSaveBMP"));
    EXPECT_FALSE(panel->isVisible());
    EXPECT_EQ(Read(path),
              "q, i, r1, r2, T1, T2, w1, w2\r\n2.4,82,0.305,0.45,9100,8200,0.5,0.5\r\n");

    TypeOver(Box("txtTemp1"), "7000");
    EXPECT_EQ(form().model.Temp1, 7000);
    ChooseFromFileMenu("mnuLoad");
    EXPECT_EQ(Find<QPushButton>("cmbSaveBMP")->text(), "Load");
    Click(Find<QPushButton>("cmbSaveBMP"));
    EXPECT_EQ(Text("txtTemp1"), "9100");
    EXPECT_EQ(form().model.Temp1, 9100);
    EXPECT_FALSE(panel->isVisible());
}

TEST_F(Files, PictureSavedUnderATypedNameAndCancelLeavesAll) {
    ChooseFromFileMenu("mnuSaveBitmap");
    QLineEdit* name = Box("txtBMPName");
    const std::string path = port.AppFolder() + "/Stars/Mine.bmp";
    TypeOver(name, QString::fromStdString(path));
    EXPECT_EQ(form().txtBMPName.text, path);
    Click(Find<QPushButton>("cmbSaveBMP"));
    EXPECT_EQ(Read(path), form().picture.BitmapFileBytes());

    ChooseFromFileMenu("mnuLoad");
    TypeOver(Box("txtTemp1"), "6000");
    Click(Find<QPushButton>("cmdCancel"));
    EXPECT_FALSE(Find<QWidget>("frameSaveBMP")->isVisible());
    EXPECT_EQ(Text("txtTemp1"), "6000");
}

TEST_F(Files, AFailedLoadIsReportedAndThePanelStays) {
    ChooseFromFileMenu("mnuLoad");
    TypeOver(Box("txtBMPName"), QString::fromStdString(port.AppFolder() + "/Stars/none.txt"));
    Click(Find<QPushButton>("cmbSaveBMP"));
    ASSERT_FALSE(port.shown.empty());
    EXPECT_EQ(port.shown.back().title, "Notice");
    EXPECT_EQ(port.shown.back().buttons, MessageButtons::OKCancel);
    EXPECT_FALSE(port.shown.back().question);
    EXPECT_TRUE(Find<QWidget>("frameSaveBMP")->isVisible());
}

}  // namespace
}  // namespace vp::qt::testing
