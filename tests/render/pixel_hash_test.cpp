// Reference pictures, fingerprinted: any change to a single pixel shows here. A deliberate
// change of the drawing (or of the surface's rasterisation) means recording new values.
#include <gtest/gtest.h>

#include "render_fixture.h"

namespace vp::render_test {
namespace {

TEST(RenderPixelHash, DefaultContactSystem) {
    SceneParams p;
    p.etaDeg = 30;
    Scene s(p);
    s.Draw();
    s.Draw();  // a second frame from the filled memo draws the same picture
    EXPECT_EQ(PictureHash(s.picture), 0xc8d061d504cc81a7ull);
}

TEST(RenderPixelHash, AtlasContactSystemAsAGrid) {
    SceneParams p;
    p.q = 0.072;
    p.iotaDeg = 79.1;
    p.r1 = 0.567;
    p.r2 = 0.189;
    p.t1 = 7175;
    p.t2 = 6910;
    p.lines = 15;
    p.etaDeg = 200;
    p.gammaDeg = 15;
    Scene s(p);
    ASSERT_TRUE(s.contact);
    s.switches.mode = DrawMode::Grid;
    s.Draw();
    EXPECT_EQ(PictureHash(s.picture), 0x0c4fc310aaacee67ull);
}

TEST(RenderPixelHash, DetachedPairWithGranulation) {
    SceneParams p;
    p.q = 0.5;
    p.r1 = 0.25;
    p.r2 = 0.2;
    p.t1 = 4500;
    p.t2 = 12000;
    p.limb1 = 0.8;
    p.limb2 = 0.3;
    p.lines = 12;
    p.etaDeg = 120;
    p.iotaDeg = 60;
    p.gammaDeg = -30;
    Scene s(p);
    ASSERT_FALSE(s.contact);
    s.renderer->FillGranulation();
    s.switches.granulation = true;
    s.Draw();
    EXPECT_EQ(PictureHash(s.picture), 0x6255fa8912a7557eull);
}

TEST(RenderPixelHash, SpinningLoneStarAsDots) {
    SceneParams p;
    p.rotDays = 0.3;
    p.iotaDeg = 40;
    p.zoom = 250;
    Scene s(p);
    s.switches.twoStars = false;
    s.switches.mode = DrawMode::Dots;
    s.Draw();
    EXPECT_EQ(PictureHash(s.picture), 0x9ce24ee8a841da38ull);
}

}  // namespace
}  // namespace vp::render_test
