// Whole frames: where the stars are, which one is in front, and what each mode shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

#include "render_fixture.h"

namespace vp::render_test {
namespace {

SceneParams EqualDetachedStars() {
    SceneParams p;
    p.q = 1;
    p.r1 = p.r2 = 0.3;
    p.t1 = p.t2 = 6000;
    p.iotaDeg = 90;
    p.etaDeg = 0;
    p.width = 600;
    p.height = 300;
    return p;
}

// Two stars told apart by colour: no limb darkening, so every visible cell has its star's
// full colour.
SceneParams TwoColours(double etaDeg) {
    SceneParams p = EqualDetachedStars();
    p.t1 = 5000;
    p.t2 = 9000;
    p.limb1 = p.limb2 = 0;
    p.iotaDeg = 80;
    p.etaDeg = etaDeg;
    return p;
}

// The centre of mass sits at x = w / 2, so column x mirrors column w - x. Two things keep the
// picture from being an exact mirror image: the surface steps outlines the same way whichever
// side they are on, which moves single pixels along the discs' edges; and both stars are
// painted in the same sense of longitude, so a pixel on the edge shared by two differently
// shaded cells takes the later cell's colour, which on the mirror side is the other cell.
TEST(RenderFrame, EqualStarsAreMirrorImages) {
    for (double limb : {0.0, 0.5}) {
        SceneParams p = EqualDetachedStars();
        p.limb1 = p.limb2 = limb;
        Scene s(p);
        ASSERT_FALSE(s.contact);
        s.Draw();
        const Surface& pic = s.picture;
        const int w = pic.Width(), h = pic.Height();
        int lit = 0, coverage = 0, inside = 0, shading = 0, worst = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 1; x < w; ++x) {
                const Colour c = pic.PixelAt(x, y), m = pic.PixelAt(w - x, y);
                lit += c != kBlack;
                if ((c == kBlack) != (m == kBlack)) {
                    ++coverage;
                    bool edge = false;
                    for (int dy = -1; dy <= 1; ++dy)
                        for (int dx = -1; dx <= 1; ++dx)
                            edge |= pic.PixelAt(x + dx, y + dy) == kBlack;
                    inside += !edge;
                } else if (c != m) {
                    ++shading;
                    worst = std::max({worst, std::abs(RedOf(c) - RedOf(m)),
                                      std::abs(GreenOf(c) - GreenOf(m)),
                                      std::abs(BlueOf(c) - BlueOf(m))});
                }
            }
        EXPECT_GT(lit, 20000) << limb;
        EXPECT_LE(coverage, 60) << limb;
        EXPECT_EQ(inside, 0) << limb;
        if (limb == 0) {
            EXPECT_EQ(shading, 0);
        } else {
            EXPECT_LT(shading, lit / 8);
            EXPECT_LE(worst, 40);
        }
        // Nothing at all on the centre column: the stars are detached.
        for (int y = 0; y < h; ++y) EXPECT_EQ(pic.PixelAt(w / 2, y), kBlack);
    }
}

TEST(RenderFrame, SideOnCentresLieOnTheMidLineAtTheirMassDistances) {
    SceneParams p = EqualDetachedStars();
    p.q = 3;
    p.r1 = p.r2 = 0.1;
    p.t1 = 5000;
    p.t2 = 9000;
    p.limb1 = p.limb2 = 0;
    Scene s(p);
    s.switches.tidal = false;
    s.Draw();
    const double S = s.model.ViewScale;
    Renderer& r = *s.renderer;
    const Colour c1 = FullColour(r, 5000), c2 = FullColour(r, 9000);
    const Centroid one = CentroidOf(s.picture, [&](Colour c) { return c == c1; });
    const Centroid two = CentroidOf(s.picture, [&](Colour c) { return c == c2; });
    ASSERT_GT(one.count, 100);
    ASSERT_GT(two.count, 100);
    EXPECT_NEAR(one.x, 300 - 2 * S * 3 / 4, 1);
    EXPECT_NEAR(two.x, 300 + 2 * S / 4, 1);
    EXPECT_NEAR(one.y, 150, 1);
    EXPECT_NEAR(two.y, 150, 1);
    // Spheres of equal radius have equal areas.
    EXPECT_NEAR(one.count, two.count, one.count * 0.02);
}

TEST(RenderFrame, NearerStarIsPaintedOverTheFartherOne) {
    for (double eta : {90.0, 270.0}) {
        Scene s(TwoColours(eta));
        s.switches.stefan = false;
        s.Draw();
        Renderer& r = *s.renderer;
        const Colour c1 = FullColour(r, 5000), c2 = FullColour(r, 9000);
        const Colour front = eta == 90 ? c2 : c1;
        const Colour back = eta == 90 ? c1 : c2;
        // The centres are 2 S cos(80 deg) / 2 above and below the picture's centre, well inside
        // both discs: the overlap shows the nearer star.
        EXPECT_EQ(s.picture.PixelAt(300, 150), front) << eta;
        const Centroid f = CentroidOf(s.picture, [&](Colour c) { return c == front; });
        const Centroid b = CentroidOf(s.picture, [&](Colour c) { return c == back; });
        EXPECT_GT(f.count, 2 * b.count) << eta;
        EXPECT_GT(b.count, 100) << eta;
        // The nearer star is the lower one.
        EXPECT_GT(f.y, 150) << eta;
        EXPECT_LT(b.y, 150) << eta;
        EXPECT_NEAR(f.x, 300, 1) << eta;
        EXPECT_EQ(
            CountPixels(s.picture, [&](Colour c) { return c != c1 && c != c2 && c != kBlack; }), 0);
    }
}

TEST(RenderFrame, LoneStarIsCentredAndNeverDrawnAsAContactStar) {
    Scene s(SceneParams{});
    ASSERT_TRUE(s.contact);
    s.switches.twoStars = false;
    s.switches.neck = true;
    s.Draw();
    const Surface withNeck = s.picture;
    const Centroid c = CentroidOf(s.picture, [](Colour x) { return x != kBlack; });
    EXPECT_GT(c.count, 1000);
    EXPECT_NEAR(c.x, 832 / 2.0, 1);
    EXPECT_NEAR(c.y, 365 / 2.0, 1);
    s.switches.neck = false;
    s.Draw();
    EXPECT_EQ(PictureHash(s.picture), PictureHash(withNeck));
}

TEST(RenderFrame, GridModeShowsOutlinesOnly) {
    Scene s(SceneParams{});
    s.Draw();
    const Surface paint = s.picture;
    s.switches.mode = DrawMode::Grid;
    s.Draw();
    int paintLit = 0, gridLit = 0, gridOutsidePaint = 0;
    for (int y = 0; y < paint.Height(); ++y)
        for (int x = 0; x < paint.Width(); ++x) {
            const bool p = paint.PixelAt(x, y) != kBlack, g = s.picture.PixelAt(x, y) != kBlack;
            paintLit += p;
            gridLit += g;
            gridOutsidePaint += g && !p;
        }
    EXPECT_EQ(gridOutsidePaint, 0);
    EXPECT_GT(gridLit, paintLit / 5);
    EXPECT_LT(gridLit, paintLit * 7 / 10);
}

TEST(RenderFrame, DotsModeShowsWhiteDotsOnly) {
    Scene s(SceneParams{});
    s.switches.mode = DrawMode::Dots;
    s.Draw();
    const int white = CountPixels(s.picture, [](Colour c) { return c == kWhite; });
    EXPECT_GT(white, 1000);
    EXPECT_EQ(CountLit(s.picture), white);
}

TEST(RenderFrame, GranulationOnlyDarkensCells) {
    Scene s(SceneParams{});
    s.Draw();
    const Surface plain = s.picture;
    s.renderer->FillGranulation();
    s.switches.granulation = true;
    s.Draw();
    int darker = 0;
    for (int y = 0; y < plain.Height(); ++y)
        for (int x = 0; x < plain.Width(); ++x) {
            const Colour a = plain.PixelAt(x, y), b = s.picture.PixelAt(x, y);
            ASSERT_EQ(a == kBlack, b == kBlack) << x << "," << y;
            EXPECT_LE(GreenOf(b), GreenOf(a));
            EXPECT_GE(GreenOf(b), GreenOf(a) * 0.9 - 1);
            darker += GreenOf(b) < GreenOf(a);
        }
    EXPECT_GT(darker, 1000);
}

TEST(RenderFrame, SomethingAlwaysFacesTheObserver) {
    Scene s(SceneParams{});
    for (double eta = 0; eta < 360; eta += 30)
        for (double iota : {0.0, 45.0, 90.0})
            for (double gamma : {0.0, 77.0}) {
                s.model.Eta = DegToRad(eta);
                s.model.Iota = DegToRad(iota);
                s.model.Gamma = DegToRad(gamma);
                s.Draw();
                EXPECT_GT(CountLit(s.picture), 2000) << eta << " " << iota << " " << gamma;
            }
}

TEST(RenderFrame, ZoomZeroDrawsNothing) {
    SceneParams p;
    p.zoom = 0;
    Scene s(p);
    s.picture.SetFillColour(kRed);
    const PicturePoint under[3] = {{0, 0}, {50, 0}, {0, 50}};
    s.picture.FillPolygon(under, 3);
    s.Draw();
    EXPECT_EQ(CountLit(s.picture), 0);  // the frame starts by clearing
}

TEST(RenderFrame, NeckBlendsTheTemperaturesAcrossTheInnerLagrangianPoint) {
    SceneParams p;
    p.q = 1;
    p.r1 = p.r2 = 0.4;
    p.lines = 10;
    p.t1 = 5000;
    p.t2 = 9000;
    p.limb1 = p.limb2 = 0;
    p.iotaDeg = 90;
    p.width = 600;
    p.height = 300;
    Scene s(p);
    ASSERT_TRUE(s.contact);
    ASSERT_EQ(s.model.L1Point, 0.5);
    s.switches.stefan = false;
    s.Bind();
    s.picture.Clear();
    s.renderer->MakeNeck();

    Renderer& r = *s.renderer;
    // Rings 19 to 22 start 0.0275 and 0.0025 before and after the point (separation 1).
    const double fractions[] = {0.225, 0.475, 0.725, 0.975};
    std::set<Colour> expected{FullColour(r, 5000), FullColour(r, 9000)};
    for (double f : fractions) expected.insert(FullColour(r, 5000 + 4000 * f));
    std::set<Colour> seen;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 600; ++x)
            if (s.picture.PixelAt(x, y) != kBlack) seen.insert(s.picture.PixelAt(x, y));
    EXPECT_EQ(seen, expected);

    // Star 1's end on the left, star 2's on the right, the blend between.
    auto centreOf = [&](double T) {
        const Colour c = FullColour(r, T);
        return CentroidOf(s.picture, [&](Colour x) { return x == c; }).x;
    };
    EXPECT_LT(centreOf(5000), centreOf(5000 + 4000 * 0.225));
    EXPECT_LT(centreOf(5000 + 4000 * 0.225), centreOf(5000 + 4000 * 0.725));
    EXPECT_LT(centreOf(5000 + 4000 * 0.725), centreOf(9000));
    // The neck spans from a little left of star 1's centre to a little right of star 2's.
    const double S = s.model.ViewScale;
    int left = 600, right = -1;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 600; ++x)
            if (s.picture.PixelAt(x, y) != kBlack) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
    EXPECT_NEAR(left, 300 - S, 3);
    EXPECT_NEAR(right, 300 + S, 3);
}

TEST(RenderFrame, ContactSystemIsOneBody) {
    Scene s(SceneParams{});
    ASSERT_TRUE(s.contact);
    s.model.Iota = DegToRad(90);
    s.Draw();
    // Along the line through both centres there is no gap between the stars.
    const int y = 365 / 2;
    int first = -1, last = -1;
    for (int x = 0; x < 832; ++x)
        if (s.picture.PixelAt(x, y) != kBlack) {
            if (first < 0) first = x;
            last = x;
        }
    ASSERT_GE(first, 0);
    for (int x = first; x <= last; ++x) EXPECT_NE(s.picture.PixelAt(x, y), kBlack) << x;
    EXPECT_GT(last - first, 2 * s.model.ViewScale);
}

}  // namespace
}  // namespace vp::render_test
