// Pictures of the headless tool decoded by the libraries that read them: the PNG star
// picture and plots (Qt), the animated GIF (giflib).
#include <gif_lib.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

// A GIF decoded whole; closed when it goes out of scope.
struct DecodedGif {
    explicit DecodedGif(const std::string& path) {
        int error = 0;
        gif = DGifOpenFileName(path.c_str(), &error);
        if (gif && DGifSlurp(gif) != GIF_OK) {
            DGifCloseFile(gif, &error);
            gif = nullptr;
        }
    }
    ~DecodedGif() {
        int error = 0;
        if (gif) DGifCloseFile(gif, &error);
    }
    // The colours of every pixel after frame k, as 0xRRGGBB.
    std::vector<std::uint32_t> Frame(int k) const {
        std::vector<GifByteType> canvas(gif->SWidth * gif->SHeight, 0);
        for (int i = 0; i <= k; ++i) canvas = Composite(gif, i, canvas);
        std::vector<std::uint32_t> rgb;
        for (GifByteType index : canvas) {
            const GifColorType c = gif->SColorMap->Colors[index];
            rgb.push_back(std::uint32_t(c.Red) << 16 | std::uint32_t(c.Green) << 8 | c.Blue);
        }
        return rgb;
    }
    GifFileType* gif = nullptr;
};

int Brightest(std::uint32_t rgb) {
    return std::max({int(rgb >> 16 & 0xFF), int(rgb >> 8 & 0xFF), int(rgb & 0xFF)});
}

TEST(CliPictures, AnimatedGifLoopsOverOneTurnInTheBitmapsColoursFromPhaseZero) {
    fs::path dir = Scratch("gif");
    const std::string gifPath = (dir / "turn.gif").string();
    CliRun r = RunCli("frames --dir " + (dir / "bmp").string() + " --gif " + gifPath +
                      " --step 18 --lines 3 --width 200 --height 120 --delay 7");
    ASSERT_EQ(r.exit, 0) << r.err;

    int error = 0;
    GifFileType* gif = DGifOpenFileName(gifPath.c_str(), &error);
    ASSERT_NE(gif, nullptr) << GifErrorString(error);
    ASSERT_EQ(DGifSlurp(gif), GIF_OK) << GifErrorString(gif->Error);
    EXPECT_EQ(gif->SWidth, 200);
    EXPECT_EQ(gif->SHeight, 120);
    ASSERT_EQ(gif->ImageCount, 20);
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
        // Light-curve phase 0, the primary eclipse, lies at a rotation angle of 90 degrees.
        char name[32];
        std::snprintf(name, sizeof name, "frame%03d.bmp", (90 + 18 * k) % 360);
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

TEST(CliPictures, GifWithCurveShowsTheLightCurveAndAMarkerMovingAlongIt) {
    fs::path dir = Scratch("gifcurve");
    const std::string common = " --star 'AW UMa' --step 18 --lines 3 --width 200 --height 120";
    ASSERT_EQ(RunCli("frames --gif " + (dir / "plain.gif").string() + common).exit, 0);
    CliRun r = RunCli("frames --gif " + (dir / "curve.gif").string() + common + " --with-curve");
    ASSERT_EQ(r.exit, 0) << r.err;
    DecodedGif plain((dir / "plain.gif").string()), curve((dir / "curve.gif").string());
    ASSERT_TRUE(plain.gif && curve.gif);
    ASSERT_EQ(curve.gif->SWidth, 200);
    ASSERT_GT(curve.gif->SHeight, 120 + 60);  // a panel under the picture
    ASSERT_EQ(curve.gif->ImageCount, 20);

    const int height = curve.gif->SHeight;
    std::vector<int> markers;
    for (int k = 0; k < 20; ++k) {
        const std::vector<std::uint32_t> withCurve = curve.Frame(k), picture = plain.Frame(k);
        // The same picture on top, in a palette that also holds the curve's colours.
        int worst = 0;
        for (int i = 0; i < 200 * 120; ++i)
            for (int shift : {0, 8, 16})
                worst = std::max(worst, std::abs(int(picture[i] >> shift & 0xFF) -
                                                 int(withCurve[i] >> shift & 0xFF)));
        EXPECT_LE(worst, 24) << k;
        // The three curves in red, green and blue on black.
        int red = 0, green = 0, blue = 0;
        for (int i = 200 * 120; i < 200 * height; ++i) {
            const std::uint32_t c = withCurve[i];
            const int cr = c >> 16 & 0xFF, cg = c >> 8 & 0xFF, cb = c & 0xFF;
            red += cr > 200 && cg < 100 && cb < 100;
            green += cg > 200 && cr < 100 && cb < 100;
            blue += cb > 200 && cr < 150 && cg < 150;
        }
        EXPECT_GT(red, 150) << k;
        EXPECT_GT(green, 150) << k;
        EXPECT_GT(blue, 150) << k;
        // The marker: the panel's column with the most mid-grey pixels.
        int best = -1, most = 0;
        for (int x = 0; x < 200; ++x) {
            int grey = 0;
            for (int y = 120; y < height; ++y) grey += withCurve[y * 200 + x] == 0x808080;
            if (grey > most) most = grey, best = x;
        }
        EXPECT_GT(most, 30) << k;
        markers.push_back(best);
        // The phase written over the curve changes with every frame.
        if (k > 0) {
            const std::vector<std::uint32_t> before = curve.Frame(k - 1);
            int changed = 0;
            for (int y = 120; y < 140; ++y)
                for (int x = 0; x < 100; ++x)
                    changed += before[y * 200 + x] != withCurve[y * 200 + x];
            EXPECT_GT(changed, 5) << k;
        }
    }
    // One turn from phase 0, in equal steps.
    for (int k = 1; k < 20; ++k)
        EXPECT_NEAR(markers[k] - markers[k - 1], (markers[19] - markers[0]) / 19.0, 1.5);
    EXPECT_GT(markers[19] - markers[0], 120);
}

TEST(CliPictures, GifStretchKeepsACoolCompanionVisible) {
    fs::path dir = Scratch("gifstretch");
    // Beta Per at quadrature: a 12000 K star beside a 4888 K one dimmed by the Stefan-Boltzmann
    // law.
    const std::string common = " --star 'Beta Per' --step 18 --lines 6 --width 300 --height 150";
    ASSERT_EQ(RunCli("frames --gif " + (dir / "plain.gif").string() + common).exit, 0);
    ASSERT_EQ(RunCli("frames --gif " + (dir / "stretch.gif").string() + common + " --stretch").exit,
              0);
    DecodedGif plain((dir / "plain.gif").string()), stretched((dir / "stretch.gif").string());
    ASSERT_TRUE(plain.gif && stretched.gif);
    ASSERT_EQ(plain.gif->ImageCount, 20);
    auto visible = [](const std::vector<std::uint32_t>& frame) {
        int n = 0;
        for (std::uint32_t c : frame) n += Brightest(c) >= 48;
        return n;
    };
    const int hot = visible(plain.Frame(5)), both = visible(stretched.Frame(5));
    EXPECT_GT(hot, 500);
    EXPECT_GT(both, hot * 2);  // the companion is the larger star
}

// The peak memory (resident kilobytes) of one run of the tool, or -1 when it fails.
long PeakKilobytes(const std::string& arguments) {
    const std::string command = std::string(VANDREL_CLI_PATH) + " " + arguments + " 2>/dev/null";
    const pid_t child = ::fork();
    if (child == 0) {
        ::execl("/bin/sh", "sh", "-c", command.c_str(), static_cast<char*>(nullptr));
        ::_exit(127);
    }
    int status = 0;
    struct rusage usage {};
    if (child < 0 || ::wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0)
        return -1;
    return usage.ru_maxrss;
}

// Frames are encoded as they are drawn: a long turn needs no more memory than a short one.
TEST(CliPictures, GifMemoryStaysBoundedWhateverTheStep) {
#ifdef __SANITIZE_ADDRESS__
    GTEST_SKIP() << "the address sanitizer keeps freed memory for a while";
#endif
    fs::path dir = Scratch("giflong");
    const std::string picture =
        " --lines 4 --width 400 --height 300 --gif " + (dir / "a.gif").string();
    const long shortTurn = PeakKilobytes("frames --step 20" + picture);
    // 720 frames of 400 x 300 pixels would take 86 MB kept whole.
    const long longTurn = PeakKilobytes("frames --step 0.5" + picture);
    ASSERT_GT(shortTurn, 0);
    ASSERT_GT(longTurn, 0);
    EXPECT_LT(longTurn, shortTurn + 20000) << shortTurn << " kB for 18 frames";
    DecodedGif decoded((dir / "a.gif").string());
    ASSERT_TRUE(decoded.gif);
    EXPECT_EQ(decoded.gif->ImageCount, 720);
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
