// Choosing atlas systems and the slide show through them.
#include <gtest/gtest.h>

#include "shell/main_form.h"
#include "support/fake_platform.h"

namespace vp {
namespace {

using testing::FakePlatform;

struct Atlas : ::testing::Test {
    FakePlatform platform;
    MainForm form{platform};
    void SetUp() override {
        form.txtN1.text = "2";
        form.AddStars();
    }
    void Choose(const std::string& name) {
        for (std::size_t i = 0; i < form.StarNameList.items.size(); ++i)
            if (form.StarNameList.items[i] == name)
                form.StarNameList.listIndex = static_cast<int>(i);
        form.StarNameList_Click();
    }
};

TEST_F(Atlas, ChoosingASystemWritesItsNumbers) {
    const int pumps = platform.pumps;
    Choose("44i Boo (3)");
    EXPECT_EQ(form.Qratio.text, "1.997");
    EXPECT_EQ(form.txtIota.text, "70.9");
    EXPECT_EQ(form.txtRadius1.text, "0.297");
    EXPECT_EQ(form.txtRadius2.text, "0.412");
    EXPECT_EQ(form.txtTemp1.text, "5800");
    EXPECT_EQ(form.txtTemp2.text, "5553");
    EXPECT_EQ(form.txtN1.text, "15");
    EXPECT_EQ(platform.pumps, pumps + 1);
    Choose("FZ Ori (Tev)");
    EXPECT_EQ(form.Qratio.text, "0.79152");
    EXPECT_EQ(form.txtIota.text, "67.085");
    EXPECT_EQ(form.txtRadius1.text, "0.3855");
}

TEST_F(Atlas, CorrectionsApplyToAtlasValues) {
    Choose("V884 Sco (344)");
    EXPECT_EQ(form.txtRadius1.text, "0.01");
    EXPECT_EQ(form.StarR1[323], 0.001);
    Choose("V1727 Cyg (10)");
    EXPECT_EQ(form.txtRadius2.text, "0.01");
}

TEST_F(Atlas, UnknownSelectionStillSetsLinesAndRecomputes) {
    form.StarNameList.listIndex = -1;
    form.StarNameList_Click();
    EXPECT_EQ(form.Qratio.text, "2.4");
    EXPECT_EQ(form.txtN1.text, "15");
}

TEST_F(Atlas, SlideShowStepsThroughTheAtlasAndWraps) {
    form.SlideShow_Click();
    EXPECT_EQ(form.SlideShow.caption, "Stop Slide Show");
    EXPECT_TRUE(form.lblSlideShow.visible);
    EXPECT_FALSE(form.AnimCheck.checked);
    EXPECT_FALSE(form.chkPhotometry.checked);
    EXPECT_TRUE(form.chkSpherical.checked);
    EXPECT_EQ(form.txtEta.text, "0");
    form.Timer2_Timer();
    EXPECT_EQ(form.lblSlideShow.caption, "AD Cnc (4)");
    EXPECT_EQ(form.Qratio.text, "0.77");
    form.SlideShow_Click();
    EXPECT_EQ(form.SlideShow.caption, "Start Slide Show");
    EXPECT_FALSE(form.lblSlideShow.visible);
    form.Timer2_Timer();  // stopped: nothing happens
    EXPECT_EQ(form.SlideIndex, 2);
    form.SlideShow_Click();
    form.Timer2_Timer();
    EXPECT_EQ(form.lblSlideShow.caption, "V523 Cas (5)");
    form.SlideIndex = 323;
    form.Timer2_Timer();
    EXPECT_EQ(form.lblSlideShow.caption, "FZ Ori (Tev)");
    form.Timer2_Timer();
    EXPECT_EQ(form.lblSlideShow.caption, "44i Boo (3)");
}

TEST_F(Atlas, SlideTickDoesNotRunInsideItsOwnRecompute) {
    form.SlideShow_Click();
    platform.pending.push_back([&] { form.Timer2_Timer(); });  // due while the slide draws
    form.Timer2_Timer();
    EXPECT_EQ(form.SlideIndex, 2);
    EXPECT_EQ(form.lblSlideShow.caption, "AD Cnc (4)");
}

}  // namespace
}  // namespace vp
