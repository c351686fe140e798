// The recompute as the window shows it: corrected boxes, lists, captions, the contact switch.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "core/constants.h"
#include "shell/main_form.h"
#include "support/fake_platform.h"

namespace vp {
namespace {

using testing::FakePlatform;

struct Recompute : ::testing::Test {
    FakePlatform platform;
    MainForm form{platform};
};

TEST_F(Recompute, DefaultSystemIsInContact) {
    form.Refresh_Click();
    const ModelState& m = form.model;
    EXPECT_NEAR(m.L1Point, 0.41108, 5e-5);
    EXPECT_NEAR(m.OmegaCrit, 5.80856, 5e-5);
    EXPECT_NEAR(m.Omega1, 5.57429, 5e-5);
    EXPECT_NEAR(m.Omega2, 5.54525, 5e-5);
    EXPECT_EQ(form.FrameStar1.caption, " Star 1 - Contact ");
    EXPECT_EQ(form.FrameStar1.foreColour, RGB(255, 0, 0));
    EXPECT_EQ(form.FrameStar2.caption, " Star 2 - Contact ");
    EXPECT_TRUE(form.chkNeck.checked);
    EXPECT_EQ(form.StarSizeList.items,
              (std::vector<std::string>{"r1(pole) = 0.305", "r1(point) = 0.411", "r1(side) = 0.321",
                                        "r1(back) = 0.37", "Omega1 = 5.574", " ", "r2(pole) = 0.45",
                                        "r2(point) = 0.589", "r2(side) = 0.485", "r2(back) = 0.521",
                                        "Omega2 = 5.545"}));
    EXPECT_EQ(form.RocheList.items,
              (std::vector<std::string>{"r1(point) = 0.411", "r1(pole) = 0.321", "Omega = 5.809"}));
    EXPECT_EQ(form.lblMessage.caption, "Rendering Stars");
    EXPECT_FALSE(form.txtMessage.visible);
    EXPECT_TRUE(platform.shown.empty());
    EXPECT_EQ(form.picture.Width(), 832);
    EXPECT_EQ(form.picture.Height(), 365);
    EXPECT_NEAR(m.ViewScale, 100.0 * 365 / 300, 1e-9);
}

TEST_F(Recompute, EqualDetachedStars) {
    form.Qratio.text = "1";
    form.txtRadius1.text = form.txtRadius2.text = "0.3";
    form.Refresh_Click();
    EXPECT_EQ(form.FrameStar1.caption, " Star 1 ");
    EXPECT_EQ(form.FrameStar1.foreColour, RGB(192, 192, 192));
    EXPECT_EQ(form.FrameStar2.caption, " Star 2 ");
    EXPECT_FALSE(form.chkNeck.checked);
    EXPECT_EQ(form.RocheList.items,
              (std::vector<std::string>{"r1(point) = 0.5", "r1(pole) = 0.309", "Omega = 3.75"}));
    EXPECT_EQ(form.StarSizeList.items,
              (std::vector<std::string>{"r1(pole) = 0.3", "r1(point) = 0.331", "r1(side) = 0.309",
                                        "r1(back) = 0.322", "Omega1 = 4.291", " ", "r2(pole) = 0.3",
                                        "r2(point) = 0.331", "r2(side) = 0.309", "r2(back) = 0.322",
                                        "Omega2 = 4.291"}));
}

TEST_F(Recompute, PoleRadiusOfOneKeepsItsPoint) {
    form.txtRadius1.text = "1";
    form.Refresh_Click();
    EXPECT_EQ(form.txtRadius1.text, "1");
    EXPECT_EQ(form.StarSizeList.items[0], "r1(pole) = 1.");
}

TEST_F(Recompute, OnlyOneStarOverfillingIsNoContact) {
    form.Qratio.text = "1";
    form.txtRadius1.text = "0.45";
    form.txtRadius2.text = "0.3";
    form.Refresh_Click();
    EXPECT_EQ(form.FrameStar1.caption, " Star 1 - Contact ");
    EXPECT_EQ(form.FrameStar2.caption, " Star 2 ");
    EXPECT_FALSE(form.chkNeck.checked);
}

TEST_F(Recompute, ContactSwitchNestsARecomputeWhenItChanges) {
    form.Refresh_Click();  // default system: neck switched on, drawn twice
    const int pumpsAfterFirst = platform.pumps;
    EXPECT_EQ(pumpsAfterFirst, 2);
    form.Refresh_Click();  // no change of the switch: one run
    EXPECT_EQ(platform.pumps, pumpsAfterFirst + 1);
    form.Qratio.text = "1";
    form.txtRadius1.text = form.txtRadius2.text = "0.3";
    form.Refresh_Click();  // switched off again: nested run
    EXPECT_EQ(platform.pumps, pumpsAfterFirst + 3);
}

TEST_F(Recompute, TemperatureNoteFollowsStefanBoltzmann) {
    form.txtTemp2.text = "6800";
    form.Refresh_Click();
    EXPECT_TRUE(form.txtMessage.visible);
    form.txtTemp2.text = "7000";
    form.Refresh_Click();
    EXPECT_FALSE(form.txtMessage.visible);
    form.txtTemp2.text = "3000";
    form.chkStefan.checked = false;
    form.Refresh_Click();
    EXPECT_FALSE(form.txtMessage.visible);
}

TEST_F(Recompute, ResetsTheLightCurveAndRecreatesTheMemos) {
    form.curve.LightCurve[2][10] = 55;
    form.curve.ColorChannel = 1;
    form.chkPhotometry.checked = false;
    form.Refresh_Click();
    EXPECT_EQ(form.curve.LightCurve[2][10], 0);
    EXPECT_EQ(form.curve.ColorChannel, 3);
    EXPECT_EQ(form.curve.CurveMax, -1e14);
    EXPECT_EQ(form.PlotWidth, 838);
    EXPECT_EQ(form.model.ShapeMemo.Size(), 8u * 85 * 6 * 3);
}

// A mass ratio too large for a double stays in its box as typed; the mass ratio in force is
// kept, and the lists, the shapes and the orbit all describe that one system.
TEST_F(Recompute, MassRatioTooLargeForADoubleDescribesOneSystem) {
    form.Refresh_Click();
    const auto sizes = form.StarSizeList.items;
    const auto lobes = form.RocheList.items;
    const std::vector<std::uint32_t> picture(
        form.picture.Words(), form.picture.Words() + form.picture.Width() * form.picture.Height());
    for (const std::string& huge : {std::string("1e400"), std::string(400, '9')}) {
        form.Qratio.text = huge;
        form.Refresh_Click();
        EXPECT_EQ(form.Qratio.text, huge);
        EXPECT_EQ(form.model.MassRatio, 2.4);
        EXPECT_EQ(form.model.OrbitMassRatio, 2.4);
        EXPECT_EQ(form.StarSizeList.items, sizes);
        EXPECT_EQ(form.RocheList.items, lobes);
        EXPECT_TRUE(std::equal(picture.begin(), picture.end(), form.picture.Words()));
    }
    // With no mass ratio read before, the smallest the model takes; a huge negative one is
    // corrected, and the orbit uses the corrected value too.
    for (const char* huge : {"1e400", "-1e400"}) {
        FakePlatform other;
        MainForm fresh(other);
        fresh.txtN1.text = "2";
        fresh.Qratio.text = huge;
        fresh.Refresh_Click();
        EXPECT_EQ(fresh.model.MassRatio, 0.001) << huge;
        EXPECT_EQ(fresh.model.OrbitMassRatio, 0.001) << huge;
    }
}

// A pasted text of any length is cut to what a parameter box holds when its key is let go,
// so the recompute reads at most that much.
TEST_F(Recompute, ParameterBoxesHoldAShortText) {
    form.txtN1.text = "2";
    form.Qratio.text = "1.5" + std::string(32764, '7');
    form.TextBox_KeyUp(form.Qratio);
    EXPECT_EQ(form.Qratio.text, "1.5" + std::string(kParameterTextMaxLength - 3, '7'));
    EXPECT_NEAR(form.model.MassRatio, 1.57777777777778, 1e-12);
    form.txtFilename.text = std::string(300, 'a');
    form.TextBox_KeyUp(form.txtFilename);
    EXPECT_EQ(form.txtFilename.text.size(), 300u);  // a file name is no parameter
}

TEST_F(Recompute, NothingTypedCrashesOrWritesNonNumbers) {
    const std::vector<std::string> texts = {"",         "abc",    "1e400", "-1e400",
                                            "-0",       "1e-400", "0",     std::string(10000, '7'),
                                            "99999999", "-5",     "1000",  "0.0001"};
    std::vector<Control*> boxes = {
        &form.txtIota,  &form.Qratio,   &form.txtN1,     &form.txtRadius1,  &form.txtRadius2,
        &form.txtLimb1, &form.txtLimb2, &form.txtTemp1,  &form.txtTemp2,    &form.txtZoom,
        &form.txtGamma, &form.txtEta,   &form.txtRotPer, &form.txtAnimSpeed};
    form.txtN1.text = "3";
    for (Control* box : boxes) {
        for (const std::string& text : texts) {
            FakePlatform quiet;
            MainForm f(quiet);
            f.clientWidth = 380;  // a small picture keeps huge zooms cheap to fill
            f.clientHeight = 460;
            f.txtN1.text = "3";
            f.FindControl(box->name)->text = text;
            f.Refresh_Click();
            for (Control* c : f.Controls()) {
                EXPECT_EQ(c->text.find("nan"), std::string::npos)
                    << box->name << " " << text.substr(0, 9);
                EXPECT_EQ(c->text.find("inf"), std::string::npos)
                    << box->name << " " << text.substr(0, 9);
            }
            for (const std::string& line : f.StarSizeList.items) {
                EXPECT_EQ(line.find("nan"), std::string::npos)
                    << box->name << " " << text.substr(0, 9);
                EXPECT_EQ(line.find("inf"), std::string::npos)
                    << box->name << " " << text.substr(0, 9);
            }
        }
    }
}

}  // namespace
}  // namespace vp
