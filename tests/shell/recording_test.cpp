// The orbit animation, photometry of each frame, and the light-curve and frame recordings.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/atomic_file.h"
#include "core/number_text.h"
#include "shell/main_form.h"
#include "support/fake_platform.h"

namespace vp {
namespace {

using testing::FakePlatform;

struct Recording : ::testing::Test {
    FakePlatform platform;
    MainForm form{platform};

    // Ticks until the recording ends by itself; false if it does not within five turns.
    bool RunUntilSaved(int maxTicks = 5 * 72) {
        for (int t = 0; t < maxTicks && form.chkSave.checked; ++t) form.Timer1_Timer();
        return !form.chkSave.checked;
    }
    std::string LightCurvePath() { return platform.AppFolder() + "/LightCurves/vandrel1.csv"; }
    static std::vector<std::vector<double>> Rows(const std::string& text) {
        std::vector<std::vector<double>> rows;
        std::istringstream in(text);
        std::string line;
        std::getline(in, line);
        while (std::getline(in, line)) {
            std::vector<double> row;
            std::istringstream fields(line);
            std::string field;
            while (std::getline(fields, field, ',')) row.push_back(Val(field));
            rows.push_back(row);
        }
        return rows;
    }
};

TEST_F(Recording, TimerStepsWrapsToExactlyZeroAndStopsWhenUnchecked) {
    form.txtN1.text = "2";
    form.Refresh_Click();
    form.txtAnimSpeed.text = "7";
    for (int t = 0; t < 51; ++t) form.Timer1_Timer();
    EXPECT_NEAR(form.model.Eta, 357 * 3.14159265358979 / 180, 1e-12);
    form.Timer1_Timer();
    EXPECT_EQ(form.model.Eta, 0);
    form.AnimCheck.checked = false;
    form.Timer1_Timer();
    EXPECT_EQ(form.model.Eta, 0);
    form.AnimCheck.checked = true;
    form.txtAnimSpeed.text = "-5";
    form.Timer1_Timer();
    EXPECT_LT(form.model.Eta, 0);
}

TEST_F(Recording, PhotometryStepsTheChannelAtPhaseZero) {
    form.txtN1.text = "2";
    form.Qratio.text = "1";
    form.txtRadius1.text = form.txtRadius2.text = "0.3";
    form.Refresh_Click();  // drawn at phase 0: the channel steps to green at once
    EXPECT_EQ(form.curve.ColorChannel, 2);
    EXPECT_GT(form.curve.LightCurve[2][0], 0);
    EXPECT_EQ(form.curve.CurveMax, form.curve.CurveMin);
    form.Timer1_Timer();
    EXPECT_EQ(form.curve.PlotIndex, static_cast<int>(std::floor(5 * 3.14159265358979 / 180 * 838 /
                                                                (2 * 3.14159265358979))));
    EXPECT_EQ(form.Line1X, form.curve.PlotIndex);
}

TEST_F(Recording, MagnitudeOfABlackPictureReadsAsUnmeasured) {
    form.txtZoom.text = "0";
    form.txtN1.text = "2";
    form.Refresh_Click();
    EXPECT_EQ(form.curve.LightCurve[2][0], 0);
}

TEST_F(Recording, DefaultRecordingCompletesWithThreeColoursInEveryRow) {
    form.mnuSaveLC_Click();
    ASSERT_GE(platform.shown.size(), 2u);
    EXPECT_EQ(platform.shown[0].text, "A 'LightCurves' folder has been created at " +
                                          platform.AppFolder() + "/LightCurves.");
    EXPECT_EQ(platform.shown[1].title, "Light Curves");
    EXPECT_EQ(platform.shown[1].buttons, MessageButtons::OKCancel);
    EXPECT_EQ(
        platform.shown[1].text,
        "The light curves will be saved to " + platform.AppFolder() +
            "/LightCurves/vandrel1.csv.  \r\nPlease wait until the red, green, and blue light "
            "curve have been computed before opening the output file.");
    EXPECT_EQ(form.lblMessage.caption, "Creating Light Curves");
    EXPECT_TRUE(form.PicturePlot.visible);
    ASSERT_TRUE(RunUntilSaved());
    EXPECT_FALSE(form.AnimCheck.checked);
    EXPECT_EQ(platform.shown.back().text,
              "The light curves have been saved to " + LightCurvePath() + ".");
    std::string text;
    ASSERT_TRUE(ReadWholeFile(LightCurvePath(), text));
    EXPECT_EQ(text.substr(0, 25), "Phase, Red, Green, Blue\r\n");
    auto rows = Rows(text);
    ASSERT_EQ(rows.size(), 144u);
    EXPECT_DOUBLE_EQ(rows[0][0], -0.25);
    EXPECT_DOUBLE_EQ(rows[72][0], 0.75);
    double brightest = 0;
    for (const auto& row : rows) {
        ASSERT_EQ(row.size(), 4u);
        for (int c = 1; c <= 3; ++c) {
            EXPECT_GE(row[c], 0);  // magnitudes below the brightest sample
            brightest = std::max(brightest, row[c]);
        }
    }
    EXPECT_GT(brightest, 0);
}

TEST_F(Recording, FluxFileOfEqualStarsHasTwoEqualSymmetricEclipses) {
    form.chkMag.checked = false;
    form.Qratio.text = "1";
    form.txtRadius1.text = form.txtRadius2.text = "0.3";
    form.txtIota.text = "90";
    form.txtN1.text = "10";
    form.txtTemp1.text = form.txtTemp2.text = "6000";
    form.SetChecked(form.chkSave, true);
    ASSERT_TRUE(RunUntilSaved());
    std::string text;
    ASSERT_TRUE(ReadWholeFile(LightCurvePath(), text));
    auto rows = Rows(text);
    ASSERT_EQ(rows.size(), 144u);
    // Row k is the rotation angle 5k degrees; the eclipses lie at 90 and 270 degrees (rows 18
    // and 54, phases 0 and 0.5): equally deep, each mirror-symmetric about its minimum.
    for (int c = 1; c <= 3; ++c) {
        EXPECT_NEAR(rows[18][c], rows[54][c], 1e-3) << c;
        EXPECT_LT(rows[18][c], 0.75 * rows[0][c]) << c;
        for (int k = 1; k < 18; ++k) {
            EXPECT_NEAR(rows[18 - k][c], rows[18 + k][c], 3e-3) << c << " " << k;
            EXPECT_NEAR(rows[54 - k][c], rows[54 + k][c], 3e-3) << c << " " << k;
        }
    }
    double top = 0;
    for (int k = 0; k < 72; ++k)
        top = std::max(top, std::max({rows[k][1], rows[k][2], rows[k][3]}));
    EXPECT_NEAR(top, 1, 1e-3);
}

// While a recording runs, the message label says when the picture cuts the stars, and the
// message goes with the recording.
TEST_F(Recording, ARecordingSaysWhenTheStarsDoNotFit) {
    form.txtN1.text = "2";
    form.SetChecked(form.chkSave, true);
    ASSERT_TRUE(RunUntilSaved());
    EXPECT_FALSE(form.frameMessage.visible);  // the default system fits
    form.txtZoom.text = "160";
    form.SetChecked(form.chkSave, true);
    for (int t = 0; t < 72 && !form.frameMessage.visible; ++t) form.Timer1_Timer();
    EXPECT_TRUE(form.frameMessage.visible);
    EXPECT_EQ(form.lblMessage.caption, "The stars do not fit the picture: lower the zoom.");
    ASSERT_TRUE(RunUntilSaved());
    EXPECT_FALSE(form.frameMessage.visible);
    // At the largest zoom inside the picture no frame is cut.
    const double fit = form.LargestZoomInsidePicture(5);
    EXPECT_GT(fit, 100);
    EXPECT_LT(fit, 160);
    form.txtZoom.text = FormatNumber(fit);
    form.SetChecked(form.chkSave, true);
    for (int t = 0; t < 72; ++t) form.Timer1_Timer();
    EXPECT_FALSE(form.frameMessage.visible);
    form.SetChecked(form.chkSave, false);
    form.SetChecked(form.AnimCheck, true);
    for (int t = 0; t < 72; ++t) form.Timer1_Timer();  // no recording, no message
    EXPECT_FALSE(form.frameMessage.visible);
}

TEST_F(Recording, CancelLeavesEverythingAlone) {
    platform.answers = {MessageAnswer::OK, MessageAnswer::Cancel};
    form.SetChecked(form.chkSave, true);
    EXPECT_FALSE(form.chkSave.checked);
    EXPECT_FALSE(std::filesystem::exists(LightCurvePath()));
}

TEST_F(Recording, TypingDuringARecordingRestartsItAndItStillCompletes) {
    form.txtN1.text = "3";
    form.SetChecked(form.chkSave, true);
    for (int t = 0; t < 100; ++t) form.Timer1_Timer();
    form.txtTemp2.text = "7000";
    form.TextBox_KeyUp(form.txtTemp2);
    EXPECT_EQ(form.curve.ColorChannel, 2);
    ASSERT_TRUE(RunUntilSaved());
}

// A file that cannot be written: the good file stays, each failure names its cause, and the
// recording ends after its last try instead of failing at every turn.
TEST_F(Recording, AFailedWriteNamesItsCauseAndEndsTheRecording) {
    form.txtN1.text = "3";
    form.SetChecked(form.chkSave, true);
    ASSERT_TRUE(RunUntilSaved());
    std::string good;
    ASSERT_TRUE(ReadWholeFile(LightCurvePath(), good));
    form.txtFilename.text = "missing/vandrel2.csv";
    const std::size_t before = platform.shown.size();
    form.SetChecked(form.chkSave, true);
    for (int t = 0; t < 5 * 72; ++t) form.Timer1_Timer();
    EXPECT_FALSE(form.chkSave.checked);
    const std::string failure = "The light curves cannot be saved to " + platform.AppFolder() +
                                "/LightCurves/missing/vandrel2.csv: No such file or directory.";
    std::vector<std::string> shown;
    for (std::size_t k = before; k < platform.shown.size(); ++k)
        if (platform.shown[k].text.rfind("The light curves cannot", 0) == 0)
            shown.push_back(platform.shown[k].text);
    EXPECT_EQ(shown,
              (std::vector<std::string>{failure + " The next turn tries again.",
                                        failure + " The next turn tries again.",
                                        failure + " The recording has stopped after 3 attempts."}));
    std::string after;
    ASSERT_TRUE(ReadWholeFile(LightCurvePath(), after));
    EXPECT_EQ(after, good);
}

// The name is the user's: it may lead out of the LightCurves folder or be a full path.
TEST_F(Recording, FileNamesMayLeadAnywhereTheUserTyped) {
    form.txtN1.text = "2";
    form.txtFilename.text = "../escape.csv";
    form.SetChecked(form.chkSave, true);
    ASSERT_TRUE(RunUntilSaved());
    EXPECT_TRUE(std::filesystem::is_regular_file(platform.AppFolder() + "/escape.csv"));
    form.txtFilename.text = platform.AppFolder() + "/full.csv";
    form.SetChecked(form.chkSave, true);
    EXPECT_NE(platform.shown.back().text.find("saved to " + form.txtFilename.text + ".  "),
              std::string::npos);
    ASSERT_TRUE(RunUntilSaved());
    EXPECT_TRUE(std::filesystem::is_regular_file(form.txtFilename.text));
}

// A link planted in an output folder under a name the program writes is replaced, never
// written through.
TEST_F(Recording, LinksInTheOutputFoldersAreNotFollowed) {
    namespace fs = std::filesystem;
    const fs::path app = platform.AppFolder();
    WriteFileAtomically((app / "victim").string(), "keep");
    for (const char* name : {"LightCurves/vandrel1.csv", "Animation/frame005.bmp"}) {
        fs::create_directories((app / name).parent_path());
        fs::create_symlink(app / "victim", app / name);
    }
    form.txtN1.text = "2";
    form.SetChecked(form.chkSave, true);
    ASSERT_TRUE(RunUntilSaved());
    form.SetChecked(form.chkBMP, true);
    for (int t = 0; t < 72; ++t) form.Timer1_Timer();
    std::string victim;
    ASSERT_TRUE(ReadWholeFile((app / "victim").string(), victim));
    EXPECT_EQ(victim, "keep");
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(app / "LightCurves/vandrel1.csv")));
    EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(app / "Animation/frame005.bmp")));
}

TEST_F(Recording, TicksDoNotRunInsideATickWhileAMessageIsOpen) {
    form.txtN1.text = "2";
    form.Refresh_Click();
    form.chkBMP.checked = true;  // frames without the question, to reach the end message
    form.txtAnimSpeed.text = "90";
    int nested = 0;
    platform.onMessage = [&] {
        double before = form.model.Eta;
        form.Timer1_Timer();
        nested += form.model.Eta != before;
    };
    std::filesystem::create_directories(platform.AppFolder() + "/Animation");
    for (int t = 0; t < 4; ++t) form.Timer1_Timer();
    EXPECT_EQ(platform.shown.back().text, "All of the Bitmaps have been created.");
    EXPECT_EQ(nested, 0);
}

TEST_F(Recording, FrameRecordingWritesOneTurnAndStops) {
    form.txtN1.text = "2";
    form.SetChecked(form.chkBMP, true);
    ASSERT_GE(platform.shown.size(), 2u);
    EXPECT_EQ(platform.shown[0].title, "Bitmaps");
    EXPECT_EQ(platform.shown[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(platform.shown[1].text,
              "An Animation folder has been created at " + platform.AppFolder() + "/Animation.");
    int ticks = 0;
    while (form.chkBMP.checked && ticks < 400) {
        form.Timer1_Timer();
        ++ticks;
    }
    EXPECT_EQ(ticks, 72);
    EXPECT_FALSE(form.AnimCheck.checked);
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(platform.AppFolder() + "/Animation")) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 72);
    EXPECT_TRUE(std::filesystem::exists(platform.AppFolder() + "/Animation/frame000.bmp"));
    EXPECT_TRUE(std::filesystem::exists(platform.AppFolder() + "/Animation/frame355.bmp"));
    EXPECT_EQ(platform.shown.back().text, "All of the Bitmaps have been created.");
}

TEST_F(Recording, AnsweringNoToFramesChangesNothing) {
    platform.answers = {MessageAnswer::No};
    form.SetChecked(form.chkBMP, true);
    EXPECT_FALSE(form.chkBMP.checked);
    EXPECT_FALSE(std::filesystem::exists(platform.AppFolder() + "/Animation"));
}

}  // namespace
}  // namespace vp
