// Frames drawn one after another by the same renderer equal frames drawn by a fresh renderer
// from the same model state, whatever changed in between.
#include <gtest/gtest.h>

#include "render_fixture.h"

namespace vp::render_test {
namespace {

// A fresh renderer drawing a copy of the scene's model, memo tables included.
std::uint64_t FreshHash(const Scene& s) {
    ModelState model = s.model;
    TestPort port = s.port;
    Surface picture(s.picture.Width(), s.picture.Height());
    Renderer fresh;
    fresh.DrawStar(model, port, s.switches, picture);
    return PictureHash(picture);
}

TEST(RenderRepeatedFrames, TurningOrbitMatchesFreshDrawing) {
    SceneParams p;
    p.lines = 5;
    Scene s(p);
    ASSERT_TRUE(s.contact);
    for (double eta = 0; eta < 720; eta += 25) {
        s.model.Eta = DegToRad(eta);
        s.Draw();
        EXPECT_EQ(PictureHash(s.picture), FreshHash(s)) << eta;
    }
}

TEST(RenderRepeatedFrames, RecomputedModelIsDrawnAfresh) {
    SceneParams p;
    Scene s(p);
    s.Draw();
    // A new pole radius, and the tables re-created as a recompute does.
    s.model.PoleRadius1 = 0.33;
    s.ResetMemo();
    s.Draw();
    SceneParams q = p;
    q.r1 = 0.33;
    Scene t(q);
    t.Draw();
    EXPECT_EQ(PictureHash(s.picture), PictureHash(t.picture));
}

TEST(RenderRepeatedFrames, ChangesWithoutRecomputeMatchFreshDrawing) {
    Scene s(SceneParams{});
    s.Draw();
    // Zoom, star values and switches changed without re-creating the tables: the old radii
    // stay in use, as they would for any renderer.
    s.model.ViewScale *= 1.3;
    s.Draw();
    EXPECT_EQ(PictureHash(s.picture), FreshHash(s));
    s.model.PoleRadius2 = 0.4;
    s.model.Temp2 = 6000;
    s.Draw();
    EXPECT_EQ(PictureHash(s.picture), FreshHash(s));
    s.switches.similarAreas = false;
    s.Draw();
    EXPECT_EQ(PictureHash(s.picture), FreshHash(s));
    s.switches.neck = false;
    s.Draw();
    EXPECT_EQ(PictureHash(s.picture), FreshHash(s));
    s.switches.tidal = false;
    s.Draw();
    EXPECT_EQ(PictureHash(s.picture), FreshHash(s));
    s.switches.tidal = true;
    s.model.LatLines1 = s.model.LatLines2 = 6;
    s.model.NeckLines = 24;
    s.Draw();
    EXPECT_EQ(PictureHash(s.picture), FreshHash(s));
}

TEST(RenderRepeatedFrames, TwoModelsTakingTurnsOnOneRenderer) {
    SceneParams p;
    Scene a(p);
    p.q = 1;
    p.r1 = p.r2 = 0.42;
    Scene b(p);
    Renderer shared;
    for (int round = 0; round < 3; ++round) {
        for (Scene* s : {&a, &b}) {
            s->model.Eta = DegToRad(40.0 * round);
            shared.DrawStar(s->model, s->port, s->switches, s->picture);
            EXPECT_EQ(PictureHash(s->picture), FreshHash(*s)) << round;
        }
    }
}

}  // namespace
}  // namespace vp::render_test
