// Temperature colours and where surface points land on the picture.
#include <gtest/gtest.h>

#include "model/star_shape.h"
#include "render_fixture.h"

namespace vp::render_test {
namespace {

constexpr double kHalfPi = kPi / 2;

std::array<double, 3> ColourOf(Scene& s, double T) {
    std::array<double, 3> c{-1, -1, -1};
    s.Bind();
    s.renderer->StarColor(T, c[0], c[1], c[2]);
    return c;
}

TEST(StarColour, ReferenceTemperaturesAndStefanBoltzmann) {
    SceneParams p;
    p.t1 = 4000;
    p.t2 = 8000;
    Scene s(p);
    s.switches.stefan = false;
    const std::array<double, 4> cases[] = {{3000, 255, 177.4, 106.1},
                                           {5800, 255, 243.3, 234.1},
                                           {6500, 255, 254.7, 255},  // logarithmic green
                                           {10000, 204.1, 219.2, 255}};
    for (const auto& c : cases)
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(ColourOf(s, c[0])[k], c[k + 1], 0.05) << c[0];
    EXPECT_EQ(ColourOf(s, 6502)[0], 255);
    EXPECT_LT(ColourOf(s, 6503)[0], 255);

    const auto cool = ColourOf(s, 4000), hot = ColourOf(s, 8000), other = ColourOf(s, 6000);
    s.switches.stefan = true;
    EXPECT_DOUBLE_EQ(ColourOf(s, 4000)[1], cool[1] * 0.0625);  // only the cooler star dims
    EXPECT_EQ(ColourOf(s, 8000), hot);
    EXPECT_EQ(ColourOf(s, 6000), other);
    std::swap(s.model.Temp1, s.model.Temp2);
    EXPECT_DOUBLE_EQ(ColourOf(s, 4000)[2], cool[2] * 0.0625);
    EXPECT_EQ(ColourOf(s, 8000), hot);
    s.model.Temp2 = 8000;  // equal temperatures: no dimming
    EXPECT_EQ(ColourOf(s, 8000), hot);
}

// A sphere of radius 0.5 (tidal effects off), S = 100, a 600 x 400 picture, zero offsets.
struct SphereScene : Scene {
    SphereScene() : Scene(Params()) {
        model.ViewScale = 100;
        model.PoleRadius1 = 0.5;
        switches.tidal = false;
        Bind();
    }
    static SceneParams Params() {
        SceneParams p;
        p.width = 600;
        p.height = 400;
        return p;
    }
    CornerRecord At(double phi, double theta, double eta = 0, double iota = kHalfPi,
                    double gamma = 0, double key = 1) {
        CornerRecord c;
        renderer->CT(1, phi, theta, eta, iota, gamma, c.XP, c.YP, c.ZP, 0, key, 1);
        return c;
    }
};

void ExpectAt(const CornerRecord& c, double XP, double YP, double ZP) {
    EXPECT_NEAR(c.XP, XP, 1e-9);
    EXPECT_NEAR(c.YP, YP, 1e-9);
    EXPECT_NEAR(c.ZP, ZP, 1e-9);
}

TEST(RenderPointTransform, SphereSeenSideOnPoleOnAndTilted) {
    SphereScene s;
    ExpectAt(s.At(0, 0), 0, 200, 200);
    ExpectAt(s.At(kHalfPi, 0), 0, 300, 300);  // the north pole is drawn below the centre
    ExpectAt(s.At(0, -kHalfPi), 100, 300, 200);
    ExpectAt(s.At(0, kHalfPi), -100, 300, 200);
    for (double phi : {-1.2, 0.0, 0.7})  // pole on: the southern hemisphere faces the observer
        EXPECT_NEAR(s.At(phi, 0.4, 0.3, 0).XP, -100 * std::sin(phi), 1e-9);
    // A quarter turn of tilt about the star's own centre, wherever that is.
    s.renderer->OffsetX = 40;
    s.renderer->OffsetY = -30;
    ExpectAt(s.At(0, 0, 0, kHalfPi, kHalfPi), 0, 340, 270);
}

TEST(RenderPointTransform, RadiusSources) {
    SphereScene s;
    // A lone star with tidal effects: half its spin radius, whatever the pole radius.
    s.switches.tidal = true;
    s.switches.twoStars = false;
    s.model.RotPeriod = 86400;
    double spin = 1;
    StarSpinRadius(s.model, s.port, 0, spin);
    EXPECT_NEAR(s.At(0, 0).YP, 300 - 200 * spin / 2, 1e-9);
    s.model.PoleRadius1 = 0.2;
    EXPECT_NEAR(s.At(0, 0).YP, 300 - 200 * spin / 2, 1e-9);
    // In the binary: the Roche radius, memoised under the corner's key.
    s.switches.twoStars = true;
    s.model.OrbitMassRatio = s.model.MassRatio = 1;
    s.model.PoleRadius1 = 0.3;
    RochePot(s.model);
    EXPECT_NEAR(s.At(0, kPi, 0, kHalfPi, 0, 7).YP, 300 + 200 * 0.3314, 0.02);
    EXPECT_NEAR(s.At(0, 0, 0, kHalfPi, 0, 7).YP, 300 - 200 * 0.3314, 0.02);  // same key
}

}  // namespace
}  // namespace vp::render_test
