// Whole frames: where the stars are, which is in front, and what each mode shows.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "render/picture_fit.h"
#include "render_fixture.h"

namespace vp::render_test {
namespace {

// q 1, pole radii 0.3, side on, 600 x 300: star 1 left, star 2 right, detached.
SceneParams EqualStars(double limb = 0.5) {
    SceneParams p;
    p.q = 1;
    p.r1 = p.r2 = 0.3;
    p.t1 = p.t2 = 6000;
    p.limb1 = p.limb2 = limb;
    p.iotaDeg = 90;
    p.width = 600;
    p.height = 300;
    return p;
}

// Column x mirrors column 600 - x. Not exactly: the surface steps outlines the same way on
// both sides, which moves single pixels on the discs' edges; and both stars are painted in
// the same sense of longitude, so an edge shared by two differently shaded cells takes the
// later cell's colour, which on the mirror side is the other cell.
TEST(RenderFrame, EqualStarsAreMirrorImages) {
    for (double limb : {0.0, 0.5}) {
        Scene s(EqualStars(limb));
        s.Draw();
        const Surface& pic = s.picture;
        int coverage = 0, inside = 0, shading = 0, worst = 0;
        for (int y = 0; y < 300; ++y)
            for (int x = 1; x < 600; ++x) {
                const Colour c = pic.PixelAt(x, y), m = pic.PixelAt(600 - x, y);
                if ((c == kBlack) != (m == kBlack)) {
                    ++coverage;
                    bool edge = false;
                    for (int d = 0; d < 9; ++d)
                        edge |= pic.PixelAt(x + d % 3 - 1, y + d / 3 - 1) == kBlack;
                    inside += !edge;
                } else if (c != m) {
                    ++shading;
                    worst = std::max(worst, std::abs(GreenOf(c) - GreenOf(m)));
                }
            }
        EXPECT_GT(CountLit(pic), 20000);
        EXPECT_LE(coverage, 60) << limb;
        EXPECT_EQ(inside, 0) << limb;
        EXPECT_LE(shading, limb == 0 ? 0 : CountLit(pic) / 8) << limb;
        EXPECT_LE(worst, 40) << limb;
        EXPECT_NEAR(PixelsWhere(pic, [](Colour c) { return c != kBlack; }).x, 300, 0.5);
    }
}

TEST(RenderFrame, StarCentresAndPaintersOrder) {
    SceneParams p = EqualStars(0);  // no limb darkening: every cell has its star's colour
    p.q = 3;
    p.r1 = p.r2 = 0.1;
    p.t1 = 5000;
    p.t2 = 9000;
    Scene s(p);
    s.switches.tidal = false;
    s.switches.stefan = false;
    s.Draw();
    const Colour c1 = FullColour(*s.renderer, 5000), c2 = FullColour(*s.renderer, 9000);
    auto of = [&](Colour c) { return PixelsWhere(s.picture, [c](Colour x) { return x == c; }); };
    const double S = s.model.ViewScale;
    EXPECT_NEAR(of(c1).x, 300 - 2 * S * 3 / 4, 1);  // star 1 left, at 2 S q / (1 + q)
    EXPECT_NEAR(of(c2).x, 300 + 2 * S / 4, 1);
    EXPECT_NEAR(of(c1).y, 150, 1);
    EXPECT_NEAR(of(c1).count, of(c2).count, of(c1).count * 0.02);

    // Nearly end on the discs overlap: the nearer star, the lower one, covers the other.
    s.model.OrbitMassRatio = 1;
    s.model.PoleRadius1 = s.model.PoleRadius2 = 0.3;
    s.model.Iota = DegToRad(80);
    for (double eta : {90.0, 270.0}) {
        s.model.Eta = DegToRad(eta);
        s.Draw();
        const Colour front = eta == 90 ? c2 : c1, back = eta == 90 ? c1 : c2;
        EXPECT_EQ(s.picture.PixelAt(300, 150), front) << eta;
        EXPECT_GT(of(front).count, 2 * of(back).count) << eta;
        EXPECT_GT(of(back).count, 1000) << eta;
        EXPECT_GT(of(front).y, 150) << eta;
    }
}

TEST(RenderFrame, LoneStarIsCentredAndNeverAContactStar) {
    Scene s(SceneParams{});
    s.switches.twoStars = false;
    s.switches.neck = true;
    s.Draw();
    const Stats lit = PixelsWhere(s.picture, [](Colour c) { return c != kBlack; });
    EXPECT_GT(lit.count, 1000);
    EXPECT_NEAR(lit.x, 416, 1);
    EXPECT_NEAR(lit.y, 182.5, 1);
    const std::uint64_t withNeck = PictureHash(s.picture);
    s.switches.neck = false;
    s.Draw();
    EXPECT_EQ(PictureHash(s.picture), withNeck);
}

TEST(RenderFrame, DrawingModes) {
    Scene s(SceneParams{});
    std::vector<Surface> shots;
    for (DrawMode mode : {DrawMode::Paint, DrawMode::Grid, DrawMode::Dots}) {
        s.switches.mode = mode;
        s.Draw();
        shots.push_back(s.picture);
    }
    s.switches.mode = DrawMode::Paint;
    s.renderer->FillGranulation();
    s.switches.granulation = true;
    s.Draw();
    int painted = 0, outlined = 0, stray = 0, white = 0, grey = 0, darker = 0, wrong = 0;
    for (int y = 0; y < 365; ++y)
        for (int x = 0; x < 832; ++x) {
            const int p = GreenOf(shots[0].PixelAt(x, y)), m = GreenOf(s.picture.PixelAt(x, y));
            const bool g = shots[1].PixelAt(x, y) != kBlack;
            const Colour d = shots[2].PixelAt(x, y);
            painted += p > 0;
            outlined += g;
            stray += g && p == 0;  // grid lines only where paint goes
            white += d == kWhite;
            grey += d != kWhite && d != kBlack;
            darker += m < p;
            wrong += m > p || m < p * 0.9 - 1;  // granulation takes at most a tenth
        }
    EXPECT_GT(outlined, painted / 5);
    EXPECT_LT(outlined, painted * 7 / 10);
    EXPECT_GT(white, 1000);
    EXPECT_GT(darker, painted / 2);
    EXPECT_EQ(stray + grey + wrong, 0);
}

TEST(RenderFrame, SomethingAlwaysFacesTheObserverUnlessZoomIsZero) {
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
    s.model.ViewScale = 0;
    s.Draw();
    EXPECT_EQ(CountLit(s.picture), 0);
}

TEST(RenderFrame, NeckBlendsTheTemperaturesAcrossTheInnerLagrangianPoint) {
    SceneParams p = EqualStars(0);
    p.r1 = p.r2 = 0.4;
    p.lines = 10;  // 40 rings
    p.t1 = 5000;
    p.t2 = 9000;
    Scene s(p);
    ASSERT_TRUE(s.contact);
    s.switches.stefan = false;
    s.Bind();
    s.picture.Clear();
    s.renderer->MakeNeck();
    // Rings 19 to 22 begin 0.0275 and 0.0025 before and after the point, 18 and 23 farther.
    const double blend[] = {0, 0.225, 0.475, 0.725, 0.975, 1};
    std::set<Colour> expected, seen;
    for (double f : blend) expected.insert(FullColour(*s.renderer, 5000 + 4000 * f));
    PixelsWhere(s.picture, [&](Colour c) { return c != kBlack && seen.insert(c).second; });
    EXPECT_EQ(seen, expected);
    double left = 0;  // from star 1's end to star 2's
    for (double f : blend) {
        const Colour c = FullColour(*s.renderer, 5000 + 4000 * f);
        const double x = PixelsWhere(s.picture, [c](Colour v) { return v == c; }).x;
        EXPECT_GT(x, left) << f;
        left = x;
    }
    // With the stars the contact system is one body along the line of centres.
    s.Draw();
    int first = -1, last = -1, gaps = 0;
    for (int x = 0; x < 600; ++x)
        if (s.picture.PixelAt(x, 150) != kBlack) (first < 0 ? first : last) = x;
    for (int x = first; x <= last; ++x) gaps += s.picture.PixelAt(x, 150) == kBlack;
    EXPECT_GT(last - first, 2 * s.model.ViewScale);
    EXPECT_EQ(gaps, 0);
}

}  // namespace
}  // namespace vp::render_test

namespace vp::render_test {
namespace {

// A contact pair seen pole-on gives a constant light, unless the picture's edge cuts it: the
// renderer tells a cut frame, and at the largest zoom inside the picture none is cut.
TEST(RenderFrame, StarsCutByTheEdgeAndTheLargestZoomInside) {
    SceneParams p;
    p.q = 1;
    p.r1 = p.r2 = 0.38;
    p.iotaDeg = 0;
    p.lines = 5;
    auto turn = [&](double zoom, int& cut, double& variation) {
        p.zoom = zoom;
        Scene s(p);
        cut = 0;
        std::uint64_t low = ~0ull, high = 0;
        for (double eta = 0; eta < 360; eta += 5) {
            s.model.Eta = DegToRad(eta);
            s.Draw();
            cut += s.renderer->StarsCutByEdge();
            std::uint64_t sum = 0;
            for (int y = 0; y < s.picture.Height(); ++y)
                for (int x = 0; x < s.picture.Width(); ++x) sum += GreenOf(s.picture.PixelAt(x, y));
            low = std::min(low, sum);
            high = std::max(high, sum);
        }
        variation = 2.5 * std::log10(double(high) / double(low));
        return s.model;
    };
    int cut = 0;
    double variation = 0;
    const ModelState model = turn(100, cut, variation);
    EXPECT_GT(cut, 0);
    EXPECT_GT(variation, 0.1);
    Scene s(p);
    const double fit = LargestZoomInside(model, s.switches, p.width, p.height, 5);
    EXPECT_GT(fit, 50);
    EXPECT_LT(fit, 100);
    turn(fit, cut, variation);
    EXPECT_EQ(cut, 0);
    EXPECT_LT(variation, 0.01);
    turn(fit * 1.02, cut, variation);
    EXPECT_GT(cut, 0);
}

}  // namespace
}  // namespace vp::render_test
