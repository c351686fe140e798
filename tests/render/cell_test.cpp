// One cell at a time: culling, limb darkening, the channel rules, granulation and the modes.
#include <gtest/gtest.h>

#include "render_fixture.h"

namespace vp::render_test {
namespace {

// A 40 x 40 square centred on (50, 50), 3000 K (colour 255, 177.4, 106.1), its left edge
// raised and its right edge lowered by depth: Mu = 20 / sqrt(depth^2 + 400).
struct CellScene : Scene {
    explicit CellScene(double depth = 0) : Scene(Params()) {
        switches.stefan = false;
        Bind();
        auto& c = renderer->CellCorners;
        c[1] = {depth, 30, 30};
        c[2] = {depth, 30, 70};
        c[3] = {-depth, 70, 70};
        c[4] = c[5] = {-depth, 70, 30};
    }
    static SceneParams Params() {
        SceneParams p;
        p.width = p.height = 100;
        p.t1 = p.t2 = 3000;
        return p;
    }
    Colour Draw(double limb, double TB = 1, double T = 3000, double i = 0, double j = 0) {
        renderer->DrawCell(0, limb, T, TB, i, j);
        return picture.PixelAt(50, 50);
    }
};

TEST(RenderCell, ShadingCullingAndChannels) {
    for (double limb : {0.0, 0.5, 1.0}) EXPECT_EQ(CellScene().Draw(limb), RGB(255, 177, 106));
    CellScene north;  // the same corners in a northern cell face away
    north.Draw(0, 0);
    EXPECT_EQ(CountLit(north.picture), 0);
    CellScene half(20 * std::sqrt(3.0));  // Mu = 0.5
    EXPECT_EQ(half.Draw(1), RGB(127, 88, 53));
    EXPECT_EQ(half.Draw(0.4), RGB(204, 141, 84));
    EXPECT_EQ(half.Draw(-1), RGB(0, 0, 159));  // intensity 1.5: channels past 255 go black
}

TEST(RenderCell, PolygonCorners) {
    CellScene s;
    s.renderer->CellCorners[5] = {0, 50, 10};  // drawn between corners 4 and 1
    s.Draw(0);
    EXPECT_EQ(s.picture.PixelAt(50, 20), RGB(255, 177, 106));
    CellScene off;  // facing the observer, but two corners have no pixel position
    off.renderer->CellCorners[2].YP = 3e9;
    off.renderer->CellCorners[3].YP = 3e9 + 40;
    off.Draw(0);
    CellScene point;
    for (auto& c : point.renderer->CellCorners) c = {0, 50, 50};
    point.Draw(0);
    EXPECT_EQ(CountLit(off.picture) + CountLit(point.picture), 0);
}

TEST(RenderCell, Granulation) {
    CellScene s;
    Renderer& r = *s.renderer;
    s.switches.granulation = true;
    for (auto& row : r.GranTable) row.fill(0);
    r.GranTable[3][11] = 0.5;  // factor 0.95 instead of 0.9
    // Row i mod 100; a southern cell reads column (j + 11) mod 100, a neck cell j mod 100.
    EXPECT_EQ(s.Draw(0, 1, 6000, 103, 100), FullColour(r, 6000, 0.95));
    r.DrawNeckCell(0, 0, 6000, 1, 103, 100);
    EXPECT_EQ(s.picture.PixelAt(50, 50), FullColour(r, 6000, 0.9));
    r.DrawNeckCell(0, 0, 6000, 1, 103, 111);
    EXPECT_EQ(s.picture.PixelAt(50, 50), FullColour(r, 6000, 0.95));

    r.FillGranulation();
    const auto [lo, hi] = std::minmax_element(&r.GranTable[0][0], &r.GranTable[100][100] + 1);
    EXPECT_GE(*lo, 0);
    EXPECT_LT(*hi, 1);
    const double first = r.GranTable[0][0];
    r.FillGranulation();
    EXPECT_NE(r.GranTable[0][0], first);  // a new pattern every time
    Renderer fresh;
    fresh.FillGranulation();
    EXPECT_EQ(fresh.GranTable[0][0], first);  // and the same sequence in every run
}

TEST(RenderCell, ModesAndNeckDimming) {
    CellScene grid;
    grid.switches.mode = DrawMode::Grid;
    EXPECT_EQ(grid.Draw(0), kBlack);
    EXPECT_EQ(grid.picture.PixelAt(30, 50), RGB(255, 177, 106));

    CellScene dots;
    dots.switches.mode = DrawMode::Dots;
    dots.picture.SetFillColour(kRed);
    const PicturePoint under[3] = {{0, 0}, {99, 0}, {0, 99}};
    dots.picture.FillPolygon(under, 3);
    dots.Draw(0);
    EXPECT_EQ(dots.picture.PixelAt(40, 40), kBlack);  // the cell itself is filled black
    const Stats white = PixelsWhere(dots.picture, [](Colour c) { return c == kWhite; });
    EXPECT_GE(white.count, 4);
    EXPECT_LE(white.count, 9);
    EXPECT_EQ(white.x, 50);
    EXPECT_EQ(white.y, 50);

    // A neck cell in the temperature blend is dimmed like the cooler star; a star cell is not.
    CellScene neck;
    neck.model.Temp1 = 5000;
    neck.model.Temp2 = 10000;
    neck.switches.stefan = true;
    neck.renderer->DrawNeckCell(0, 0, 7500, 1, 0, 0);
    EXPECT_EQ(neck.picture.PixelAt(50, 50), FullColour(*neck.renderer, 7500, std::pow(0.75, 4)));
    EXPECT_EQ(neck.Draw(0, 1, 7500), FullColour(*neck.renderer, 7500));
}

}  // namespace
}  // namespace vp::render_test
