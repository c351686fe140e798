// Start-up, shut-down, help and the error report of the window object.
#include <gtest/gtest.h>

#include "shell/main_form.h"
#include "support/fake_platform.h"

namespace vp {
namespace {

using testing::FakePlatform;

TEST(Startup, WindowIsReadyAfterLoading) {
    FakePlatform platform;
    MainForm form(platform);
    form.Form_Load();
    EXPECT_EQ(form.caption, "Vandrel Pro 2.1.22 - Eclipsing Binary Stars");
    EXPECT_EQ(form.Label27.caption, "Version 2.1.22");
    EXPECT_EQ(form.StarNameList.items.size(), 324u);
    EXPECT_EQ(form.StarNameList.items.front(), "44i Boo (3)");
    EXPECT_EQ(form.StarNameList.items.back(), "FZ Ori (Tev)");
    ASSERT_EQ(form.HelpList.items.size(), 15u);
    EXPECT_EQ(
        form.HelpList.items[0],
        "Inclinations are between 90\u00b0 for edge-on orbits and 0\u00b0 for face-on orbits.");
    EXPECT_EQ(form.HelpList.items[5], "Limb darkening coefficients range from 0 to 1. ");
    EXPECT_EQ(form.HelpList.items[2], "");
    EXPECT_EQ(form.HelpList.items[14], "");
    EXPECT_TRUE(form.cmdPlot.bold);
    EXPECT_EQ(form.cmdPlot.fontSize, 10);
    EXPECT_TRUE(form.PicturePlot.visible);
    EXPECT_EQ(form.picture.Width(), 832);
    EXPECT_EQ(form.picture.Height(), 365);
    EXPECT_TRUE(form.chkNeck.checked);  // the default system is drawn in contact
    EXPECT_TRUE(platform.shown.empty());
    // The first step of a scroll bar goes the way it was moved.
    form.VScroll[2].value = 15001;
    form.VScroll_Change(2);
    EXPECT_EQ(form.txtIota.text, "83");
}

TEST(Startup, ExitRequestsTheVersionPageOnce) {
    FakePlatform platform;
    MainForm form(platform);
    form.Form_Load();
    form.mnuExit_Click();
    form.Form_Unload();  // the window's close that follows
    ASSERT_EQ(platform.opened.size(), 1u);
    const std::string& page = platform.opened[0];
    EXPECT_EQ(page.substr(page.size() - 15), "?Version=2.1.22");
}

TEST(Help, DetailsLinkOpensTheManual) {
    FakePlatform platform;
    MainForm form(platform);
    form.Form_Load();
    form.Label16_Click();
    ASSERT_EQ(platform.opened.size(), 1u);
    EXPECT_EQ(platform.opened[0], form.Label16.caption);
    EXPECT_NE(platform.opened[0].find("details.html"), std::string::npos);
}

TEST(Help, ErrorReportText) {
    FakePlatform platform;
    MainForm form(platform);
    form.ShowError(76, "Path not found", "FileSave");
    form.ShowError(-5, "", "FileSave");
    ASSERT_EQ(platform.shown.size(), 2u);
    EXPECT_EQ(platform.shown[0].text,
              "Path not found (Error 76) occured in procedure FileSave. \r\n\r\n");
    EXPECT_EQ(platform.shown[0].title, "Notice");
    EXPECT_EQ(platform.shown[0].buttons, MessageButtons::OKCancel);
    EXPECT_FALSE(platform.shown[0].question);
    EXPECT_EQ(platform.shown[1].text, " (Error -5) occured in procedure FileSave. \r\n\r\n");
}

}  // namespace
}  // namespace vp
