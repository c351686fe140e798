// Pictures of the headless tool decoded by the libraries that read them: the PNG star
// picture and plots (Qt), the animated GIF (giflib).
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <QColor>
#include <QImage>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support/run_cli.h"

namespace {

using vp::testing::CliRun;
using vp::testing::RunCli;
using vp::testing::Scratch;
namespace fs = std::filesystem;

QImage Load(const fs::path& path) {
    return QImage(QString::fromStdString(path.string()));
}

// Pixels near a colour, each channel within 40.
int CountNear(const QImage& image, QColor colour) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            QColor c = image.pixelColor(x, y);
            n += std::abs(c.red() - colour.red()) < 40 &&
                 std::abs(c.green() - colour.green()) < 40 &&
                 std::abs(c.blue() - colour.blue()) < 40;
        }
    return n;
}

TEST(CliPictures, RenderPngHoldsTheBitmapsPixels) {
    fs::path dir = Scratch("renderpng");
    const std::string options = " --width 300 --height 160 --incl 80 --eta 40";
    ASSERT_EQ(RunCli("render --out " + (dir / "a.bmp").string() + options).exit, 0);
    CliRun r = RunCli("render --out " + (dir / "a.PNG").string() + options);
    ASSERT_EQ(r.exit, 0) << r.err;
    std::FILE* f = std::fopen((dir / "a.PNG").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    unsigned char magic[8] = {};
    EXPECT_EQ(std::fread(magic, 1, 8, f), 8u);
    std::fclose(f);
    EXPECT_EQ(std::memcmp(magic, "\x89PNG\r\n\x1a\n", 8), 0);

    QImage bmp = Load(dir / "a.bmp"), png = Load(dir / "a.PNG");
    ASSERT_EQ(png.size(), QSize(300, 160));
    ASSERT_EQ(bmp.size(), png.size());
    int lit = 0, differing = 0;
    for (int y = 0; y < 160; ++y)
        for (int x = 0; x < 300; ++x) {
            lit += qGray(png.pixel(x, y)) > 0;
            differing += (png.pixel(x, y) & 0xFFFFFF) != (bmp.pixel(x, y) & 0xFFFFFF);
        }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(lit, 2000);
}

TEST(CliPictures, LightCurvePlotShowsThreeCurvesOnWhite) {
    fs::path dir = Scratch("plotpng");
    for (const char* scale : {"--mag", "--flux"}) {
        CliRun r = RunCli("lightcurve --out " + (dir / "c.csv").string() + " --plot-png " +
                          (dir / "c.png").string() + " --step 30 --lines 4 " + scale);
        ASSERT_EQ(r.exit, 0) << r.err;
        QImage plot = Load(dir / "c.png");
        ASSERT_EQ(plot.size(), QSize(1200, 720));
        EXPECT_GT(CountNear(plot, Qt::white), 1200 * 720 / 2);
        EXPECT_GT(CountNear(plot, QColor(214, 26, 28)), 500) << scale;
        EXPECT_GT(CountNear(plot, QColor(22, 145, 60)), 500) << scale;
        EXPECT_GT(CountNear(plot, QColor(32, 72, 214)), 500) << scale;
        fs::remove(dir / "c.png");
    }
}

// The picture after frame k, each frame drawn over the ones before it.
std::vector<GifByteType> Composite(const GifFileType* gif, int k, std::vector<GifByteType> canvas) {
    const SavedImage& s = gif->SavedImages[k];
    for (int y = 0; y < s.ImageDesc.Height; ++y)
        for (int x = 0; x < s.ImageDesc.Width; ++x)
            canvas[(y + s.ImageDesc.Top) * gif->SWidth + x + s.ImageDesc.Left] =
                s.RasterBits[y * s.ImageDesc.Width + x];
    return canvas;
}

TEST(CliPictures, AnimatedGifLoopsOverOneTurnInTheBitmapsColours) {
    fs::path dir = Scratch("gif");
    const std::string gifPath = (dir / "turn.gif").string();
    CliRun r = RunCli("frames --dir " + (dir / "bmp").string() + " --gif " + gifPath +
                      " --step 20 --lines 3 --width 200 --height 120 --delay 7");
    ASSERT_EQ(r.exit, 0) << r.err;

    int error = 0;
    GifFileType* gif = DGifOpenFileName(gifPath.c_str(), &error);
    ASSERT_NE(gif, nullptr) << GifErrorString(error);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK) << GifErrorString(gif->Error);
    EXPECT_EQ(gif->SWidth, 200);
    EXPECT_EQ(gif->SHeight, 120);
    ASSERT_EQ(gif->ImageCount, 18);
    ASSERT_NE(gif->SColorMap, nullptr);

    // The loop block comes before the first frame: NETSCAPE2.0, then sub-block 1 with count 0.
    const SavedImage& first = gif->SavedImages[0];
    bool loops = false;
    for (int e = 0; e + 1 < first.ExtensionBlockCount; ++e) {
        const ExtensionBlock& b = first.ExtensionBlocks[e];
        const ExtensionBlock& next = first.ExtensionBlocks[e + 1];
        loops |= b.Function == APPLICATION_EXT_FUNC_CODE && b.ByteCount == 11 &&
                 std::memcmp(b.Bytes, "NETSCAPE2.0", 11) == 0 && next.ByteCount == 3 &&
                 next.Bytes[0] == 1 && next.Bytes[1] == 0 && next.Bytes[2] == 0;
    }
    EXPECT_TRUE(loops);

    std::vector<GifByteType> canvas(200 * 120, 0);
    for (int k = 0; k < gif->ImageCount; ++k) {
        GraphicsControlBlock control;
        ASSERT_EQ(DGifSavedExtensionToGCB(gif, k, &control), GIF_OK);
        EXPECT_EQ(control.DelayTime, 7);
        canvas = Composite(gif, k, canvas);
        char name[32];
        std::snprintf(name, sizeof name, "frame%03d.bmp", 20 * k);
        QImage bmp = Load(dir / "bmp" / name);
        ASSERT_EQ(bmp.size(), QSize(200, 120)) << name;
        long total = 0;
        int worst = 0;
        for (int y = 0; y < 120; ++y)
            for (int x = 0; x < 200; ++x) {
                const GifColorType c = gif->SColorMap->Colors[canvas[y * 200 + x]];
                const QRgb b = bmp.pixel(x, y);
                for (int d : {c.Red - qRed(b), c.Green - qGreen(b), c.Blue - qBlue(b)}) {
                    total += std::abs(d);
                    worst = std::max(worst, std::abs(d));
                }
            }
        EXPECT_LE(worst, 24) << name;
        EXPECT_LT(static_cast<double>(total) / (200 * 120 * 3), 1.5) << name;
    }
    DGifCloseFile(gif, &error);
}

TEST(CliPictures, GifProblemsAreReported) {
    fs::path dir = Scratch("gifbad");
    EXPECT_EQ(RunCli("frames --gif " + (dir / "a.gif").string() + " --step 0").exit, 1);
    EXPECT_FALSE(fs::exists(dir / "a.gif"));
    EXPECT_EQ(
        RunCli("frames --gif " + (dir / "none" / "a.gif").string() + " --step 90 --lines 2").exit,
        1);
    EXPECT_EQ(RunCli("frames --gif " + (dir / "a.gif").string() + " --delay 0").exit, 2);
    EXPECT_EQ(RunCli("frames --step 90").exit, 2);
}

}  // namespace
