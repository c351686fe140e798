// Parameters far outside the sensible range: every frame completes, nothing is reported.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "render_fixture.h"

namespace vp::render_test {
namespace {

struct Variation {
    std::string name;
    std::function<void(SceneParams&)> change;
    std::function<void(Scene&)> adjust = [](Scene&) {};
};

std::vector<Variation> Variations() {
    std::vector<Variation> v;
    for (double zoom : {0.0, -100.0, 10000.0})
        v.push_back({"zoom " + std::to_string(zoom), [=](SceneParams& p) { p.zoom = zoom; }});
    for (double gamma : {-720.0, 13.0, 90.0, 180.0, 1e6})
        v.push_back({"tilt " + std::to_string(gamma), [=](SceneParams& p) { p.gammaDeg = gamma; }});
    for (double eta : {-45.0, 90.0, 1e5})
        v.push_back({"eta " + std::to_string(eta), [=](SceneParams& p) { p.etaDeg = eta; }});
    for (double iota : {0.0, 90.0})
        v.push_back({"iota " + std::to_string(iota), [=](SceneParams& p) { p.iotaDeg = iota; }});
    for (double lines : {1.0, 7.5, 100.0})
        v.push_back({"lines " + std::to_string(lines), [=](SceneParams& p) { p.lines = lines; }});
    for (double r1 : {0.01, 0.3, 1.0})
        for (double r2 : {0.01, 0.99, 1.0})
            v.push_back(
                {"radii " + std::to_string(r1) + " " + std::to_string(r2), [=](SceneParams& p) {
                     p.r1 = r1;
                     p.r2 = r2;
                 }});
    for (double q : {0.001, 0.01, 1.0, 100.0, 1000.0})
        for (double r : {0.1, 0.6})
            v.push_back({"q " + std::to_string(q) + " r " + std::to_string(r), [=](SceneParams& p) {
                             p.q = q;
                             p.r1 = p.r2 = r;
                         }});
    for (double days : {0.0, 0.01, 0.3})
        v.push_back({"lone star, period " + std::to_string(days),
                     [=](SceneParams& p) { p.rotDays = days; },
                     [](Scene& s) { s.switches.twoStars = false; }});
    v.push_back({"spheres", [](SceneParams&) {}, [](Scene& s) { s.switches.tidal = false; }});
    v.push_back({"neck forced on a detached pair", [](SceneParams& p) { p.r1 = p.r2 = 0.1; },
                 [](Scene& s) { s.switches.neck = true; }});
    v.push_back({"extreme temperatures",
                 [](SceneParams& p) {
                     p.t1 = 1;
                     p.t2 = 100000;
                 },
                 [](Scene& s) { s.switches.granulation = true; }});
    return v;
}

TEST(RenderRobustness, ExtremeParametersCompleteEveryFrame) {
    for (const Variation& v : Variations()) {
        SceneParams p;
        v.change(p);
        Scene s(p);
        v.adjust(s);
        s.renderer->FillGranulation();
        for (DrawMode mode : {DrawMode::Paint, DrawMode::Grid, DrawMode::Dots}) {
            s.switches.mode = mode;
            s.Draw();
            if (p.lines >= 100) break;  // one mode is enough for the largest mesh
        }
        EXPECT_EQ(s.picture.Width(), p.width) << v.name;
        EXPECT_EQ(s.port.slowIterations, 0) << v.name;
    }
}

TEST(RenderRobustness, FastSpinningLoneStarIsMarkedUnstable) {
    SceneParams p;
    p.rotDays = 0.2;
    Scene s(p);
    s.switches.twoStars = false;
    s.Draw();
    EXPECT_GT(s.port.unstableMarks, 0);

    SceneParams slow;
    slow.rotDays = 1;
    Scene t(slow);
    t.switches.twoStars = false;
    t.Draw();
    EXPECT_EQ(t.port.unstableMarks, 0);
    EXPECT_GT(CountLit(t.picture), 1000);
}

}  // namespace
}  // namespace vp::render_test
