// How the stars and the neck are cut into cells: rows, columns, memo keys and ring order.
#include <gtest/gtest.h>

#include "render_fixture.h"

namespace vp::render_test {
namespace {

SceneParams Detached(double lines) {
    SceneParams p;
    p.q = 1;
    p.r1 = p.r2 = 0.3;
    p.lines = lines;
    return p;
}

TEST(RenderStarMesh, OneLineWithoutSimilarAreasHasTwoCellsPerRow) {
    Scene s(Detached(1));
    s.switches.similarAreas = false;
    s.Bind();
    s.renderer->MakeStar(1);
    Renderer& r = *s.renderer;
    // The last cell drawn is the second cell of the only southern row.
    EXPECT_EQ(r.CellsInRow, 2);
    EXPECT_EQ(r.i, 0);
    EXPECT_EQ(r.j, 1);
    // Northern corners are keyed by their column, southern ones by M + column.
    const MemoTable& memo = s.model.ShapeMemo;
    for (int k = 1; k <= 5; ++k)
        for (int col = 0; col < 4; ++col) EXPECT_NE(memo.Get(0, col, k, 1), 0) << col << k;
    EXPECT_EQ(memo.Get(0, 4, 1, 1), 0);
    EXPECT_EQ(memo.Get(1, 0, 1, 1), 0);
    EXPECT_EQ(memo.Get(0, 0, 1, 2), 0);
    // The last corner was the southern cell's fifth: on the equator, mid-column.
    EXPECT_EQ(r.Phi, 0);
    EXPECT_NEAR(r.Theta, 2 * kPi * 1.5 / 2 - kPi / 2, 1e-15);
    EXPECT_EQ(r.Temp, s.model.Temp1);
}

TEST(RenderStarMesh, SimilarAreasThinTheRowsTowardsThePoles) {
    struct Case {
        double lines;
        double polarCells;
    };
    for (const Case c : {Case{1, 4}, Case{3, 6}, Case{10, 6}}) {
        Scene s(Detached(c.lines));
        s.Bind();
        s.renderer->MakeStar(2);
        // The last row drawn is the southern row next to the pole.
        EXPECT_EQ(s.renderer->CellsInRow, c.polarCells) << c.lines;
        EXPECT_EQ(s.renderer->i, c.lines - 1);
        EXPECT_EQ(s.renderer->j, c.polarCells - 1);
    }
}

TEST(RenderStarMesh, ContactStarsCoverTheirOuterHalves) {
    SceneParams p;  // the default contact system
    p.lines = 4;
    Scene s(p);
    ASSERT_TRUE(s.contact);
    s.switches.similarAreas = false;
    s.Bind();
    Renderer& r = *s.renderer;
    r.MakeStarContact(1);
    EXPECT_EQ(r.CellsInRow, 4);
    EXPECT_EQ(r.JFirst, 0);
    EXPECT_EQ(r.JLast, 3);
    EXPECT_EQ(r.j, 3);
    r.MakeStarContact(2);
    EXPECT_EQ(r.JFirst, 4);
    EXPECT_EQ(r.JLast, 7);
    EXPECT_EQ(r.j, 7);
    // Star 2's southern corners are keyed up to column 3M - 1.
    EXPECT_NE(s.model.ShapeMemo.Get(0, 11, 3, 2), 0);
    EXPECT_EQ(s.model.ShapeMemo.Get(0, 12, 3, 2), 0);
}

TEST(RenderStarMesh, FractionalLineCountsStepInWholeNumbers) {
    Scene s(Detached(7.5));
    s.switches.similarAreas = false;
    s.Bind();
    s.renderer->MakeStarContact(2);
    // Rows 0 .. 6 in the south, columns 7.5 .. 14 for star 2's half.
    EXPECT_EQ(s.renderer->i, 6);
    EXPECT_EQ(s.renderer->CellsInRow, 7.5);
    EXPECT_EQ(s.renderer->JFirst, 7.5);
    EXPECT_EQ(s.renderer->j, 13.5);
}

TEST(RenderStarMesh, NoLinesDrawNothing) {
    for (double lines : {0.0, -3.0}) {
        Scene s(Detached(1));
        s.model.LatLines1 = s.model.LatLines2 = lines;
        s.model.NeckLines = 4 * lines;
        s.switches.neck = true;
        s.Draw();
        EXPECT_EQ(CountLit(s.picture), 0);
    }
}

TEST(RenderNeckMesh, RingsRunFromTheFartherStarsEnd) {
    SceneParams p;
    p.lines = 2;  // eight rings
    for (double eta : {90.0, 270.0}) {
        p.etaDeg = eta;
        Scene s(p);
        s.Bind();
        s.renderer->MakeNeck();
        Renderer& r = *s.renderer;
        // At 90 degrees star 2 is nearer: rings go from star 1's end to star 2's.
        EXPECT_EQ(r.JFirst, eta == 90 ? 0 : 7) << eta;
        EXPECT_EQ(r.JLast, eta == 90 ? 7 : 0) << eta;
        EXPECT_EQ(r.j, r.JLast);
        EXPECT_EQ(r.i, 7);
        // The offsets are left at star 1's centre.
        const double S = s.model.ViewScale, q = s.model.OrbitMassRatio;
        const double a = s.model.Eta + kPi / 2;
        EXPECT_NEAR(r.OffsetY, 2 * S * q * std::cos(a) * std::cos(s.model.Iota) / (1 + q), 1e-9);
        // The last corner lies on the star-1 edge of the last ring.
        EXPECT_NEAR(r.ZC, (r.JLast - 0.1) / 8, 1e-15);
        EXPECT_NEAR(r.Phi, 2 * kPi, 1e-12);
    }
}

}  // namespace
}  // namespace vp::render_test
