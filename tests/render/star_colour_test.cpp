// The colour of a temperature, and the dimming of the cooler star.
#include <gtest/gtest.h>

#include "render_fixture.h"

namespace vp::render_test {
namespace {

struct Rgb {
    double r, g, b;
};

Rgb ColourOf(Scene& scene, double T) {
    scene.Bind();
    Rgb c{-1, -1, -1};
    scene.renderer->StarColor(T, c.r, c.g, c.b);
    return c;
}

SceneParams NoStefanParams() {
    SceneParams p;
    p.t1 = 5000;
    p.t2 = 5000;
    return p;
}

TEST(StarColour, ReferenceTemperatures) {
    Scene scene(NoStefanParams());
    scene.switches.stefan = false;
    struct Case {
        double T;
        Rgb expected;
    };
    const Case cases[] = {{3000, {255, 177.4, 106.1}},
                          {5800, {255, 243.3, 234.1}},
                          {6500, {255, 254.7, 255}},
                          {10000, {204.1, 219.2, 255}}};
    for (const Case& c : cases) {
        const Rgb got = ColourOf(scene, c.T);
        EXPECT_NEAR(got.r, c.expected.r, 0.05) << c.T;
        EXPECT_NEAR(got.g, c.expected.g, 0.05) << c.T;
        EXPECT_NEAR(got.b, c.expected.b, 0.05) << c.T;
    }
}

TEST(StarColour, GreenSwitchesFormulaAbove6500AndRedLeavesTheCap) {
    Scene scene(NoStefanParams());
    scene.switches.stefan = false;
    // 6500 K still uses the logarithmic green (the other formula would give 250.7).
    EXPECT_NEAR(ColourOf(scene, 6500).g, 100.04 * std::log(6500.0) - 623.6, 1e-9);
    EXPECT_NEAR(ColourOf(scene, 6501).g, 35200000 * std::pow(6501.0, -1.5) + 184, 1e-9);
    EXPECT_EQ(ColourOf(scene, 6502).r, 255);
    EXPECT_LT(ColourOf(scene, 6503).r, 255);
}

TEST(StarColour, ChannelsStayWithinRange) {
    Scene scene(NoStefanParams());
    scene.switches.stefan = false;
    for (double T : {1.0, 50.0, 500.0, 1000.0, 2000.0, 20000.0, 99999.0, 100000.0}) {
        const Rgb c = ColourOf(scene, T);
        for (double v : {c.r, c.g, c.b}) {
            EXPECT_GE(v, 0) << T;
            EXPECT_LE(v, 255) << T;
        }
    }
    // Very cool: no blue at all; very hot: full blue.
    EXPECT_EQ(ColourOf(scene, 1000).b, 0);
    EXPECT_EQ(ColourOf(scene, 50000).b, 255);
}

TEST(StarColour, StefanBoltzmannDimsOnlyTheCoolerStar) {
    SceneParams p;
    p.t1 = 4000;
    p.t2 = 8000;
    Scene scene(p);
    scene.switches.stefan = false;
    const Rgb plain1 = ColourOf(scene, 4000), plain2 = ColourOf(scene, 8000);
    scene.switches.stefan = true;
    const Rgb dim1 = ColourOf(scene, 4000), dim2 = ColourOf(scene, 8000);
    EXPECT_DOUBLE_EQ(dim1.r, plain1.r * 0.0625);
    EXPECT_DOUBLE_EQ(dim1.g, plain1.g * 0.0625);
    EXPECT_DOUBLE_EQ(dim1.b, plain1.b * 0.0625);
    EXPECT_EQ(dim2.r, plain2.r);
    EXPECT_EQ(dim2.g, plain2.g);
    EXPECT_EQ(dim2.b, plain2.b);
    // A temperature of neither star (a neck blend) is not scaled here.
    const Rgb between = ColourOf(scene, 6000);
    scene.switches.stefan = false;
    EXPECT_EQ(between.g, ColourOf(scene, 6000).g);

    // The other way round: star 2 is the cooler one.
    scene.model.Temp1 = 8000;
    scene.model.Temp2 = 4000;
    scene.switches.stefan = true;
    EXPECT_DOUBLE_EQ(ColourOf(scene, 4000).g, plain1.g * 0.0625);
    EXPECT_EQ(ColourOf(scene, 8000).g, plain2.g);
}

TEST(StarColour, EqualTemperaturesAreNotDimmed) {
    SceneParams p;
    p.t1 = p.t2 = 7000;
    Scene scene(p);
    scene.switches.stefan = false;
    const Rgb plain = ColourOf(scene, 7000);
    scene.switches.stefan = true;
    const Rgb both = ColourOf(scene, 7000);
    EXPECT_EQ(both.r, plain.r);
    EXPECT_EQ(both.g, plain.g);
    EXPECT_EQ(both.b, plain.b);
}

}  // namespace
}  // namespace vp::render_test
