// Stars that run over the picture's edge lose light: the tool says so, and --fit-zoom keeps the
// whole orbit inside the picture.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>

#include "core/atomic_file.h"
#include "support/run_cli.h"

namespace {

using vp::testing::CliRun;
using vp::testing::RunCli;
using vp::testing::Scratch;
namespace fs = std::filesystem;

// A contact pair seen pole-on: its light is the same at every phase.
const std::string kPoleOnPair = " --q 1 --r1 0.38 --r2 0.38 --incl 0 --lines 6 --step 10";

// The faintest flux of a flux-scale light-curve file relative to its brightest, in green.
double GreenRange(const std::string& file) {
    std::string text;
    EXPECT_TRUE(vp::ReadWholeFile(file, text));
    std::stringstream in(text);
    std::string line;
    std::getline(in, line);
    double low = 1e9, high = 0;
    while (std::getline(in, line)) {
        double phase, red, green, blue;
        if (std::sscanf(line.c_str(), "%lf, %lf, %lf, %lf", &phase, &red, &green, &blue) != 4)
            continue;
        low = std::min(low, green), high = std::max(high, green);
    }
    return low / high;
}

TEST(CliClipping, CutStarsAreReportedAndFitZoomKeepsTheOrbitInside) {
    fs::path dir = Scratch("clipping");
    const std::string cut = (dir / "cut.csv").string(), fitted = (dir / "fitted.csv").string();
    CliRun r = RunCli("lightcurve --flux --out " + cut + kPoleOnPair);
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.err.find("warning: the stars are cut by the picture's edge at 22 of 36 phases"),
              std::string::npos)
        << r.err;
    EXPECT_LT(GreenRange(cut), 0.9);  // the light lost at the edge

    CliRun fit = RunCli("lightcurve --flux --fit-zoom --out " + fitted + kPoleOnPair);
    ASSERT_EQ(fit.exit, 0) << fit.err;
    EXPECT_EQ(fit.err.find("cut by"), std::string::npos) << fit.err;
    EXPECT_GT(GreenRange(fitted), 0.99);

    // The picture at the phase where the pair stands upright: inside, and filling the height.
    const fs::path png = dir / "upright.png";
    ASSERT_EQ(RunCli("render --fit-zoom --eta 90 --out " + png.string() + kPoleOnPair).exit, 0);
    QImage image(QString::fromStdString(png.string()));
    ASSERT_EQ(image.size(), QSize(832, 365));
    int top = image.height(), bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) > 0) top = std::min(top, y), bottom = std::max(bottom, y);
    EXPECT_GE(top, 1);
    EXPECT_LE(bottom, image.height() - 2);
    EXPECT_LE(top + (image.height() - 1 - bottom), 8);
    EXPECT_EQ(RunCli("frames --fit-zoom --dir " + (dir / "frames").string() + kPoleOnPair).exit, 0);

    // compare --picture records the model the same way and warns the same way.
    vp::WriteFileAtomically((dir / "obs.txt").string(), "phase flux\n0.1 1\n0.6 1\n");
    CliRun compared =
        RunCli("compare --picture --observed " + (dir / "obs.txt").string() + kPoleOnPair);
    EXPECT_EQ(compared.exit, 0) << compared.err;
    EXPECT_NE(compared.err.find("cut by the picture's edge at 22 of 36 phases"), std::string::npos)
        << compared.err;

    // So does observe, whose made-up observations would otherwise carry the lost light.
    const std::string made = " --out " + (dir / "made.txt").string();
    CliRun observed = RunCli("observe" + made + kPoleOnPair);
    EXPECT_EQ(observed.exit, 0) << observed.err;
    EXPECT_NE(observed.err.find("cut by the picture's edge at 22 of 36 phases"), std::string::npos)
        << observed.err;
    CliRun observedFit = RunCli("observe --fit-zoom" + made + kPoleOnPair);
    EXPECT_EQ(observedFit.exit, 0) << observedFit.err;
    EXPECT_EQ(observedFit.err.find("cut by"), std::string::npos) << observedFit.err;

    // The atlas index gives the fraction of phases cut.
    const std::string batch = "lightcurve --all-atlas " + (dir / "atlas").string() +
                              " --only 'AW UMa (106)' --step 30 --lines 4 --zoom 300";
    ASSERT_EQ(RunCli(batch).exit, 0);
    std::string index;
    ASSERT_TRUE(vp::ReadWholeFile((dir / "atlas" / "index.csv").string(), index));
    EXPECT_NE(index.find(",clipped,status\n"), std::string::npos) << index;
    EXPECT_NE(index.find(",1.0000,ok\n"), std::string::npos) << index;
    ASSERT_EQ(RunCli(batch + " --fit-zoom").exit, 0);
    ASSERT_TRUE(vp::ReadWholeFile((dir / "atlas" / "index.csv").string(), index));
    EXPECT_NE(index.find(",0.0000,ok\n"), std::string::npos) << index;
}

}  // namespace
