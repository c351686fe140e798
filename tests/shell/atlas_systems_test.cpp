// Every atlas system as the window draws it: no messages, and the contact state of its kind.
#include <gtest/gtest.h>

#include "shell/atlas_data.h"
#include "shell/main_form.h"
#include "support/fake_platform.h"

namespace vp {
namespace {

TEST(AtlasSystems, EveryRowDrawsQuietlyInItsOwnState) {
    testing::FakePlatform platform;
    MainForm form(platform);
    form.clientWidth = 380;  // a small picture: the test is about the model, not the pixels
    form.clientHeight = 460;
    form.AddStars();
    for (int row = 0; row < kAtlasRowCount; ++row) {
        form.StarNameList.listIndex = row;
        form.StarNameList_Click();
        const AtlasRow& star = kAtlasRows[row];
        EXPECT_TRUE(platform.shown.empty()) << star.name;
        platform.shown.clear();
        if (star.origin == AtlasOrigin::Fixed) continue;
        const bool red1 = form.FrameStar1.caption == " Star 1 - Contact ";
        const bool red2 = form.FrameStar2.caption == " Star 2 - Contact ";
        if (star.kind == "contact") {
            EXPECT_TRUE(form.chkNeck.checked) << star.name;
        } else if (star.kind == "semi-detached") {
            EXPECT_NE(red1, red2) << star.name;
        } else {
            EXPECT_FALSE(red1 || red2) << star.name;
        }
    }
}

}  // namespace
}  // namespace vp
