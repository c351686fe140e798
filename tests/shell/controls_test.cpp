// The parameter controls and switches of the window: scroll steps, key releases, check
// boxes, option buttons and panels.
#include <gtest/gtest.h>

#include "shell/main_form.h"
#include "support/fake_platform.h"

namespace vp {
namespace {

using testing::FakePlatform;

struct Controls : ::testing::Test {
    FakePlatform platform;
    MainForm form{platform};

    void Scroll(int k, int position) {
        form.VScroll[k].value = position;
        form.VScroll_Change(k);
    }
};

TEST_F(Controls, ScrollBarsStepByOneStepInTheDirectionMoved) {
    Scroll(11, 15100);
    EXPECT_EQ(form.txtTemp1.text, "8300");
    EXPECT_EQ(form.model.Temp1, 8300);
    Scroll(11, 15000);
    EXPECT_EQ(form.txtTemp1.text, "8200");
    for (const char* expected : {"0.55", "0.6", "0.65", "0.7"}) {
        Scroll(9, form.VScroll[9].value + 1);
        EXPECT_EQ(form.txtLimb1.text, expected);
    }
    // A drag across the whole bar is still one step.
    form.VScroll[2].value = 30000;
    form.VScroll_Change(2);
    Scroll(2, 0);
    EXPECT_EQ(form.txtIota.text, "82");
    EXPECT_EQ(form.LastScrollPos[2], 0);
}

TEST_F(Controls, ScrollStepsUseTheShortestNumberAndMeetTheCorrections) {
    Scroll(6, 15001);
    EXPECT_EQ(form.txtRadius2.text, "0.46");
    form.txtLimb1.text = "1";
    Scroll(9, 15001);
    EXPECT_EQ(form.txtLimb1.text, "1");  // 1.05 corrected back
    form.txtGamma.text = "0";
    Scroll(3, 14000);
    EXPECT_EQ(form.txtGamma.text, "-5");
    form.txtRadius1.text = "abc";
    Scroll(5, 15002);
    EXPECT_EQ(form.txtRadius1.text, "0.01");
    form.txtTemp1.text = "1e400";
    Scroll(11, 15100);
    EXPECT_EQ(form.txtTemp1.text, "100000");
}

TEST_F(Controls, EveryScrollBarHasItsBoxAndStep) {
    const char* boxes[15] = {"",           "txtN1",      "txtIota",      "txtGamma",  "txtEta",
                             "txtRadius1", "txtRadius2", "txtAnimSpeed", "txtZoom",   "txtLimb1",
                             "txtLimb2",   "txtTemp1",   "txtTemp2",     "txtRotPer", "Qratio"};
    const double steps[15] = {0, 1, 1, 5, 5, 0.01, 0.01, 1, 10, 0.05, 0.05, 100, 100, 0.01, 0.1};
    for (int k = 1; k <= 14; ++k) {
        EXPECT_EQ(form.ScrollBox(k).name, boxes[k]);
        EXPECT_EQ(MainForm::ScrollStep(k), steps[k]);
    }
}

TEST_F(Controls, KeyReleaseRecomputesWithTheTextAsItStands) {
    form.txtIota.text = "8";
    form.TextBox_KeyUp(form.txtIota);
    EXPECT_DOUBLE_EQ(form.model.Iota, 8 * 3.14159265358979 / 180);
    form.txtIota.text = "85";
    form.TextBox_KeyUp(form.txtIota);
    EXPECT_DOUBLE_EQ(form.model.Iota, 85 * 3.14159265358979 / 180);
    // A text change without a key release does nothing by itself.
    form.txtIota.text = "10";
    EXPECT_DOUBLE_EQ(form.model.Iota, 85 * 3.14159265358979 / 180);
}

TEST_F(Controls, GridAndDotsUncheckPhotometryPaintDoesNot) {
    form.Refresh_Click();
    form.ClickCheck(form.chkDots);
    EXPECT_TRUE(form.chkDots.checked);
    EXPECT_FALSE(form.chkPaint.checked);
    EXPECT_FALSE(form.chkPhotometry.checked);
    form.ClickCheck(form.chkPaint);
    EXPECT_TRUE(form.chkPaint.checked);
    EXPECT_FALSE(form.chkDots.checked);
    EXPECT_FALSE(form.chkPhotometry.checked);
    form.chkPhotometry.checked = true;
    form.ClickCheck(form.chkGrid);
    EXPECT_FALSE(form.chkPhotometry.checked);
}

TEST_F(Controls, ModelSwitchesRecomputeAndPhotometrySwitchDoesNot) {
    form.Refresh_Click();
    const int pumps = platform.pumps;
    form.ClickCheck(form.chkStefan);
    EXPECT_EQ(platform.pumps, pumps + 1);
    form.ClickCheck(form.chkPhotometry);
    form.ClickCheck(form.AnimCheck);
    EXPECT_EQ(platform.pumps, pumps + 1);
    form.ClickCheck(form.chkGran);
    EXPECT_EQ(platform.pumps, pumps + 2);
}

TEST_F(Controls, ResizeRefitsTheStarPicture) {
    form.Form_Resize(1200, 800);
    EXPECT_EQ(form.picture.Width(), 1200 - 180);
    EXPECT_EQ(form.picture.Height(), 800 - 310);
    form.Form_Resize(10, 10);  // smaller than the fixed controls
    EXPECT_EQ(form.picture.Width(), 0);
}

TEST_F(Controls, PanelSwitchShowsOnePanelAndMarksItsButton) {
    form.HelpButton_Click();
    form.HelpButton_Click();
    EXPECT_TRUE(form.HelpAreaFrame.visible);
    EXPECT_FALSE(form.PicturePlot.visible);
    EXPECT_FALSE(form.TestingAreaFrame.visible);
    EXPECT_TRUE(form.HelpButton.bold);
    EXPECT_EQ(form.HelpButton.fontSize, 10);
    EXPECT_EQ(form.HelpButton.backColour, kButtonFace);
    EXPECT_FALSE(form.cmdPlot.bold);
    EXPECT_EQ(form.cmdPlot.fontSize, 8);
    EXPECT_EQ(form.cmdExtras.backColour, RGB(128, 128, 128));
    platform.answers = {MessageAnswer::OK, MessageAnswer::Cancel};  // folder note, then Cancel
    form.mnuSaveLC_Click();
    EXPECT_TRUE(form.TestingAreaFrame.visible);
    EXPECT_TRUE(form.cmdExtras.bold);
    EXPECT_FALSE(form.chkSave.checked);
}

}  // namespace
}  // namespace vp
