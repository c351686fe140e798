// Where surface points of a star and of the neck land on the picture.
#include <gtest/gtest.h>

#include "model/star_shape.h"
#include "render_fixture.h"

namespace vp::render_test {
namespace {

constexpr double kHalfPi = kPi / 2;

// A sphere of radius 0.5 with tidal effects off, S = 100, on a 600 x 400 picture.
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
    CornerRecord Project(double phi, double theta, double eta = 0, double iota = kHalfPi,
                         double gamma = 0) {
        CornerRecord c;
        renderer->CT(1, phi, theta, eta, iota, gamma, c.XP, c.YP, c.ZP, 0, 0, 1);
        return c;
    }
};

TEST(RenderPointTransform, SideOnViewOfASphere) {
    SphereScene s;
    CornerRecord c = s.Project(0, 0);
    EXPECT_NEAR(c.YP, 200, 1e-9);
    EXPECT_NEAR(c.ZP, 200, 1e-9);
    EXPECT_NEAR(c.XP, 0, 1e-9);

    // The north pole is drawn below the centre.
    c = s.Project(kHalfPi, 0);
    EXPECT_NEAR(c.YP, 300, 1e-9);
    EXPECT_NEAR(c.ZP, 300, 1e-9);
    EXPECT_NEAR(c.XP, 0, 1e-9);

    c = s.Project(0, -kHalfPi);
    EXPECT_NEAR(c.XP, 100, 1e-9);
    EXPECT_NEAR(c.YP, 300, 1e-9);
    EXPECT_NEAR(c.ZP, 200, 1e-9);

    c = s.Project(0, kHalfPi);
    EXPECT_NEAR(c.XP, -100, 1e-9);
    EXPECT_NEAR(c.YP, 300, 1e-9);
    EXPECT_NEAR(c.ZP, 200, 1e-9);
    EXPECT_EQ(s.renderer->PoleRadius, 0.5);
    EXPECT_EQ(s.model.PointRadius, 0.5);
}

TEST(RenderPointTransform, PoleOnViewShowsTheSouthernHemisphere) {
    SphereScene s;
    for (double phi : {-1.2, -0.3, 0.0, 0.7, 1.5}) {
        const CornerRecord c = s.Project(phi, 0.4, 0.3, 0);
        EXPECT_NEAR(c.XP, -100 * std::sin(phi), 1e-9) << phi;
    }
}

TEST(RenderPointTransform, AxisTiltTurnsAboutTheStarCentre) {
    SphereScene s;
    s.renderer->OffsetX = 40;
    s.renderer->OffsetY = -30;
    const double cx = 300 + 40, cy = 200 - 30;
    for (double gamma : {0.0, 0.5, 2.0, -1.0}) {
        for (double theta : {0.0, 1.0, 2.5}) {
            const CornerRecord c = s.Project(0.3, theta, 0.2, 1.1, gamma);
            const CornerRecord flat = s.Project(0.3, theta, 0.2, 1.1, 0);
            // Distance from the centre and depth do not depend on the tilt.
            EXPECT_NEAR(std::hypot(c.YP - cx, c.ZP - cy), std::hypot(flat.YP - cx, flat.ZP - cy),
                        1e-9);
            EXPECT_NEAR(c.XP, flat.XP, 1e-9);
        }
    }
    // Side on, the point at longitude 0 lies 100 left of the centre; a quarter turn of tilt
    // takes it straight below the centre.
    const CornerRecord q = s.Project(0, 0, 0, kHalfPi, kHalfPi);
    EXPECT_NEAR(q.YP, cx, 1e-9);
    EXPECT_NEAR(q.ZP, cy + 100, 1e-9);
}

TEST(RenderPointTransform, HalfPixelCentreInSinglePrecision) {
    // An odd width: the half width 300.5 is exact in single precision too.
    SceneParams p;
    p.width = 601;
    p.height = 401;
    Scene s(p);
    s.model.ViewScale = 0;
    s.switches.tidal = false;
    s.Bind();
    CornerRecord c;
    s.renderer->CT(1, 0.3, 0.3, 0, 1, 0, c.XP, c.YP, c.ZP, 0, 0, 1);
    EXPECT_EQ(c.YP, 300.5);
    EXPECT_EQ(c.ZP, 200.5);
}

TEST(RenderPointTransform, LoneStarUsesHalfTheSpinRadius) {
    SphereScene s;
    s.switches.tidal = true;
    s.switches.twoStars = false;
    s.model.RotPeriod = 86400;
    double spin = 1;
    StarSpinRadius(s.model, s.port, 0, spin);
    EXPECT_NEAR(spin, 1.0068, 1e-4);
    const CornerRecord c = s.Project(0, 0);
    EXPECT_NEAR(s.model.PointRadius, spin / 2, 1e-12);
    EXPECT_NEAR(c.YP, 300 - 200 * spin / 2, 1e-9);
    // The pole radius of star 1 plays no part in the lone star's size.
    s.model.PoleRadius1 = 0.2;
    EXPECT_NEAR(s.Project(0, 0).YP, c.YP, 1e-12);
}

TEST(RenderPointTransform, EqualStarsProjectAsMirrorImages) {
    SceneParams p;
    p.q = 1;
    p.r1 = p.r2 = 0.3;
    p.width = 600;
    p.height = 400;
    Scene s(p);
    s.Bind();
    Renderer& r = *s.renderer;
    const double S = s.model.ViewScale;
    double key = 0;
    for (double phi : {-1.2, -0.4, 0.0, 0.9})
        for (double theta : {-2.0, -1.0, -0.2, 0.5, 3.0}) {
            CornerRecord one, two;
            r.OffsetX = -S;
            r.OffsetY = 0;
            r.CT(1, phi, theta, 0, kHalfPi, 0, one.XP, one.YP, one.ZP, 0, ++key, 1);
            r.OffsetX = S;
            r.CT(2, phi, kPi - theta, 0, kHalfPi, 0, two.XP, two.YP, two.ZP, 0, key, 1);
            EXPECT_NEAR(one.YP + two.YP, 600, 1e-6) << phi << " " << theta;
            EXPECT_NEAR(one.ZP, two.ZP, 1e-6);
            EXPECT_NEAR(one.XP, two.XP, 1e-6);
        }
}

TEST(RenderPointTransform, TidalShapeComesFromTheMemoKey) {
    SceneParams p;
    p.q = 1;
    p.r1 = p.r2 = 0.3;
    Scene s(p);
    s.model.ViewScale = 100;
    s.Bind();
    CornerRecord c;
    // Star 1 towards star 2 (longitude pi) is the long axis: about 0.3314.
    s.renderer->CT(1, 0, kPi, 0, kHalfPi, 0, c.XP, c.YP, c.ZP, 0, 3, 2);
    EXPECT_NEAR(s.model.PointRadius, 0.3314, 1e-4);
    EXPECT_NEAR(s.model.ShapeMemo.Get(0, 3, 2, 1), s.model.PointRadius, 0);
    // Asked again under the same key for another direction, the memo answers.
    s.renderer->CT(1, kHalfPi, 0, 0, kHalfPi, 0, c.XP, c.YP, c.ZP, 0, 3, 2);
    EXPECT_NEAR(s.model.PointRadius, 0.3314, 1e-4);
    s.renderer->CT(2, kHalfPi, 0, 0, kHalfPi, 0, c.XP, c.YP, c.ZP, 0, 3, 2);
    EXPECT_NEAR(s.model.PointRadius, 0.3, 1e-4);
    EXPECT_EQ(s.renderer->PoleRadius, 0.3);
}

TEST(RenderPointTransform, NeckPointTakesTheStarOnItsSide) {
    SceneParams p;
    p.q = 1;
    p.r1 = p.r2 = 0.4;
    p.t1 = 5000;
    p.t2 = 9000;
    p.limb1 = 0.2;
    p.limb2 = 0.7;
    p.width = 600;
    p.height = 400;
    Scene s(p);
    ASSERT_TRUE(s.contact);
    s.model.ViewScale = 100;
    s.Bind();
    Renderer& r = *s.renderer;
    double rho = 0.4;
    CornerRecord c;
    r.CTN(rho, 0, s.model.L1Point, 0, kHalfPi, 0, c.XP, c.YP, c.ZP, 0, 0, 1);
    EXPECT_EQ(r.Temp, 5000);
    EXPECT_EQ(r.Limb, 0.2);
    const double neckAtL1 = rho;
    EXPECT_GT(neckAtL1, 0.05);
    EXPECT_LT(neckAtL1, 0.4);
    // Phi = 0 points along the orbital axis: up from the axis is down the picture.
    EXPECT_NEAR(c.ZP, 200 + 200 * neckAtL1, 1e-9);
    EXPECT_NEAR(c.YP, 300 + 200 * s.model.L1Point, 1e-9);
    EXPECT_NEAR(c.XP, 0, 1e-9);

    r.CTN(rho, kHalfPi, s.model.L1Point + 1e-12, 0, kHalfPi, 0, c.XP, c.YP, c.ZP, 0, 0, 2);
    EXPECT_EQ(r.Temp, 9000);
    EXPECT_EQ(r.Limb, 0.7);
    EXPECT_EQ(r.PoleRadius, 0.4);
    // At right angles in the orbital plane the point lies towards or away from the observer.
    EXPECT_NEAR(std::fabs(c.XP), 200 * rho, 1e-9);
}

}  // namespace
}  // namespace vp::render_test
