// One cell at a time: culling, limb darkening, the channel rules, granulation and the modes.
#include <gtest/gtest.h>

#include "render_fixture.h"

namespace vp::render_test {
namespace {

constexpr double kT = 3000;  // colour (255, 177.4, 106.1)

struct CellScene : Scene {
    CellScene() : Scene(Params()) {
        switches.stefan = false;
        Bind();
    }
    static SceneParams Params() {
        SceneParams p;
        p.width = 100;
        p.height = 100;
        p.t1 = p.t2 = kT;
        return p;
    }
    // A 40 x 40 square centred on (50, 50) whose corners 1 and 4 lie at depths d1 and d4.
    void SetSquare(double d1 = 0, double d4 = 0) {
        auto& c = renderer->CellCorners;
        c[1] = {d1, 30, 30};
        c[2] = {-d4, 30, 70};
        c[3] = {-d1, 70, 70};
        c[4] = {d4, 70, 30};
        c[5] = c[4];
    }
};

TEST(RenderCellShading, FaceOnCellHasFullIntensityWhateverTheLimbDarkening) {
    for (double limb : {0.0, 0.5, 1.0}) {
        CellScene s;
        s.SetSquare();
        s.renderer->DrawCell(0, limb, kT, 1, 0, 0);
        EXPECT_NEAR(s.renderer->Mu, 1, 1e-12);
        EXPECT_EQ(s.picture.PixelAt(50, 50), RGB(255, 177, 106)) << limb;
        EXPECT_EQ(s.picture.PixelAt(35, 50), RGB(255, 177, 106)) << limb;
        EXPECT_EQ(s.picture.PixelAt(10, 10), kBlack);
    }
}

TEST(RenderCellShading, NorthernCornerOrderRunsTheOtherWay) {
    CellScene s;
    s.SetSquare();
    s.renderer->DrawCell(0, 0.5, kT, 0, 0, 0);  // the same corners as a northern cell face away
    EXPECT_EQ(CountLit(s.picture), 0);
    EXPECT_LT(s.renderer->Mu, 0);
}

TEST(RenderCellShading, TiltedCellIsDarkenedTowardsTheLimb) {
    CellScene s;
    // Corner 1 raised and corner 4 lowered so that the normal makes 60 degrees with the line
    // of sight: Mu = 0.5.
    const double depth = 20 * std::sqrt(3.0);
    s.SetSquare(depth, -depth);
    s.renderer->DrawCell(0, 1, kT, 1, 0, 0);
    EXPECT_NEAR(s.renderer->Mu, 0.5, 1e-12);
    EXPECT_NEAR(s.renderer->Intensity, 0.5, 1e-12);
    EXPECT_EQ(s.picture.PixelAt(50, 50), RGB(127, 88, 53));
    // Limb coefficient 0.4: intensity 0.8.
    CellScene t;
    t.SetSquare(depth, -depth);
    t.renderer->DrawCell(0, 0.4, kT, 1, 0, 0);
    EXPECT_EQ(t.picture.PixelAt(50, 50), RGB(204, 141, 84));
}

TEST(RenderCellShading, ChannelsAbove255BecomeBlack) {
    CellScene s;
    const double depth = 20 * std::sqrt(3.0);
    s.SetSquare(depth, -depth);
    // A negative coefficient brightens: intensity 1.5 pushes red and green past 255.
    s.renderer->DrawCell(0, -1, kT, 1, 0, 0);
    EXPECT_EQ(s.picture.PixelAt(50, 50), RGB(0, 0, 159));
}

TEST(RenderCellShading, DegenerateCellsDrawNothing) {
    CellScene s;
    for (auto& c : s.renderer->CellCorners) c = {0, 50, 50};
    s.renderer->DrawCell(0, 0.5, kT, 1, 0, 0);
    s.renderer->DrawCell(0, 0.5, kT, 0, 0, 0);
    EXPECT_EQ(CountLit(s.picture), 0);
}

TEST(RenderCellShading, FifthCornerWidensThePolygon) {
    CellScene s;
    s.SetSquare();
    s.renderer->DrawCell(0, 0, kT, 1, 0, 0);
    EXPECT_EQ(s.picture.PixelAt(50, 20), kBlack);
    // Corner 5 is drawn between corners 4 (70, 30) and 1 (30, 30): a roof above the square.
    s.renderer->CellCorners[5] = {0, 50, 10};
    s.renderer->DrawCell(0, 0, kT, 1, 0, 0);
    EXPECT_EQ(s.picture.PixelAt(50, 20), RGB(255, 177, 106));
    EXPECT_EQ(s.picture.PixelAt(50, 5), kBlack);
}

TEST(RenderCellShading, CornersOffThePictureSkipTheDrawing) {
    CellScene s;
    s.SetSquare();
    // Still faces the observer, but two corners have no pixel position.
    s.renderer->CellCorners[2].YP = 3e9;
    s.renderer->CellCorners[3].YP = 3e9 + 40;
    s.renderer->DrawCell(0, 0, kT, 1, 0, 0);
    EXPECT_GT(s.renderer->Mu, 0);
    EXPECT_EQ(CountLit(s.picture), 0);
}

TEST(RenderCellShading, GranulationScalesByTheTableEntry) {
    CellScene s;
    s.switches.granulation = true;
    for (auto& row : s.renderer->GranTable) row.fill(0);
    // A southern cell of column j reads column (j + 11) mod 100; row i mod 100.
    s.renderer->GranTable[3][11] = 0.5;
    s.SetSquare();
    s.renderer->DrawCell(0, 0, 6000, 1, 103, 100);
    double r, g, b;
    s.renderer->StarColor(6000, r, g, b);
    const double f = 0.95;
    EXPECT_EQ(s.picture.PixelAt(50, 50),
              RGB(int(std::floor(r * f)), int(std::floor(g * f)), int(std::floor(b * f))));

    // A northern cell of the same column reads column 0: factor 0.9.
    s.picture.Clear();
    s.renderer->DrawCell(0, 0, 6000, 0, 103, 100);  // faces away as a northern cell
    EXPECT_EQ(CountLit(s.picture), 0);
    s.SetSquare();
    std::swap(s.renderer->CellCorners[1], s.renderer->CellCorners[4]);
    std::swap(s.renderer->CellCorners[2], s.renderer->CellCorners[3]);
    s.renderer->CellCorners[5] = s.renderer->CellCorners[4];
    s.renderer->DrawCell(0, 0, 6000, 0, 103, 100);
    EXPECT_EQ(s.picture.PixelAt(50, 50),
              RGB(int(std::floor(r * 0.9)), int(std::floor(g * 0.9)), int(std::floor(b * 0.9))));

    // A neck cell reads column j mod 100 without the southern shift.
    s.renderer->GranTable[3][0] = 0.5;
    s.renderer->GranTable[3][11] = 0;
    s.picture.Clear();
    s.SetSquare();
    s.renderer->DrawNeckCell(0, 0, 6000, 1, 103, 100);
    EXPECT_EQ(s.picture.PixelAt(50, 50),
              RGB(int(std::floor(r * f)), int(std::floor(g * f)), int(std::floor(b * f))));
}

TEST(RenderCellShading, FilledGranulationStaysWithinItsRange) {
    CellScene s;
    s.renderer->FillGranulation();
    double lo = 1, hi = 0, sum = 0;
    for (const auto& row : s.renderer->GranTable)
        for (double v : row) {
            lo = std::min(lo, v);
            hi = std::max(hi, v);
            sum += v;
        }
    EXPECT_GE(lo, 0);
    EXPECT_LT(hi, 1);
    EXPECT_NEAR(sum / (101 * 101), 0.5, 0.02);
    const double first = s.renderer->GranTable[0][0];
    s.renderer->FillGranulation();
    EXPECT_NE(s.renderer->GranTable[0][0], first);  // a fresh pattern every time
    // A fresh renderer starts the same sequence again.
    Renderer other;
    other.FillGranulation();
    EXPECT_EQ(other.GranTable[0][0], first);
}

TEST(RenderCellShading, GridModeOutlinesOnBlack) {
    CellScene s;
    s.switches.mode = DrawMode::Grid;
    s.picture.Clear();
    s.SetSquare();
    s.renderer->DrawCell(0, 0, kT, 1, 0, 0);
    EXPECT_EQ(s.picture.PixelAt(50, 50), kBlack);
    EXPECT_EQ(s.picture.PixelAt(30, 50), RGB(255, 177, 106));
    EXPECT_EQ(s.picture.PixelAt(50, 70), RGB(255, 177, 106));
}

TEST(RenderCellShading, DotsModeDrawsAWhiteDotAtTheCentre) {
    CellScene s;
    s.switches.mode = DrawMode::Dots;
    // Something under the cell shows that the cell itself is filled black.
    s.picture.SetFillColour(kRed);
    s.picture.SetOutlineColour(kRed);
    const PicturePoint under[4] = {{0, 0}, {99, 0}, {99, 99}, {0, 99}};
    s.picture.FillPolygon(under, 4);
    s.SetSquare();
    s.renderer->DrawCell(0, 0, kT, 1, 0, 0);
    EXPECT_EQ(s.picture.PixelAt(40, 40), kBlack);
    EXPECT_EQ(s.picture.PixelAt(30, 50), kBlack);
    EXPECT_EQ(s.picture.PixelAt(10, 10), kRed);
    int white = 0;
    for (int y = 47; y <= 53; ++y)
        for (int x = 47; x <= 53; ++x)
            if (s.picture.PixelAt(x, y) == kWhite) {
                ++white;
                EXPECT_LE(std::abs(x - 50), 1);
                EXPECT_LE(std::abs(y - 50), 1);
            }
    EXPECT_GE(white, 4);
    EXPECT_EQ(s.renderer->DotColour, kWhite);
}

TEST(RenderCellShading, NeckBlendCellIsDimmedLikeTheCoolerStar) {
    CellScene s;
    s.model.Temp1 = 5000;
    s.model.Temp2 = 10000;
    s.switches.stefan = true;
    s.SetSquare();
    s.renderer->DrawNeckCell(0, 0, 7500, 1, 0, 0);
    double r, g, b;
    s.renderer->StarColor(7500, r, g, b);
    const double f = std::pow(0.75, 4);
    EXPECT_EQ(s.picture.PixelAt(50, 50),
              RGB(int(std::floor(r * f)), int(std::floor(g * f)), int(std::floor(b * f))));
    // A star cell of the same temperature is not dimmed.
    s.picture.Clear();
    s.renderer->DrawCell(0, 0, 7500, 1, 0, 0);
    EXPECT_EQ(s.picture.PixelAt(50, 50),
              RGB(int(std::floor(r)), int(std::floor(g)), int(std::floor(b))));
}

}  // namespace
}  // namespace vp::render_test
