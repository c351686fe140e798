// The headless tool as a user runs it: output texts, exit codes and files.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/atomic_file.h"
#include "support/run_cli.h"

namespace {

using vp::testing::CliRun;
using vp::testing::RunCli;

std::string Line(const std::string& text, const std::string& name) {
    std::size_t at = text.find("\n" + name + " = ");
    if (at == std::string::npos) return "<missing>";
    at += name.size() + 4;
    return text.substr(at, text.find('\n', at) - at);
}

TEST(CliInfo, PrintsTheDefaultSystem) {
    CliRun r = RunCli("info");
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out.substr(0, 16), "txtZoom = 100\ntx");
    EXPECT_EQ(Line(r.out, "MassRatio"), "2.4");
    EXPECT_EQ(Line(r.out, "ViewScale"), "121.666666666667");
    EXPECT_EQ(Line(r.out, "FrameStar1"), "\" Star 1 - Contact \"");
    EXPECT_EQ(Line(r.out, "chkNeck"), "1");
    EXPECT_EQ(Line(r.out, "txtMessage"), "hidden");
    EXPECT_NE(r.out.find("StarSizeList:\nr1(pole) = 0.305\n"), std::string::npos);
    EXPECT_NE(r.out.find("\nOmega1 = 5.574\n \nr2(pole) = 0.45\n"), std::string::npos);
    EXPECT_NE(r.out.find("RocheList:\nr1(point) = 0.411\nr1(pole) = 0.321\nOmega = 5.809\n"),
              std::string::npos);
}

TEST(CliInfo, OptionsAreTypedIntoTheBoxes) {
    CliRun r = RunCli(
        "info --q 0 --incl 95 --r1 1.2 --t2 0 --lines 7.5 --width 600 --height 300 "
        "--no-stefan --single-star");
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(Line(r.out, "Qratio"), "0.001");
    EXPECT_EQ(Line(r.out, "MassRatio"), "0.001");
    EXPECT_EQ(Line(r.out, "txtIota"), "90");
    EXPECT_EQ(Line(r.out, "txtRadius1"), "0.99");
    EXPECT_EQ(Line(r.out, "txtTemp2"), "1");
    EXPECT_EQ(Line(r.out, "txtN1"), "7.5");
    EXPECT_EQ(Line(r.out, "ViewScale"), "100");
}

TEST(CliInfo, TextsThatAreNoNumbersAreReadAsTheWindowDoesButWarnedAbout) {
    CliRun r = RunCli("info --incl abc --t1 '5000 K' --q ' 0.5 ' --r2 .3E-0 --lines 5.");
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(Line(r.out, "txtIota"), "abc");
    EXPECT_EQ(Line(r.out, "MassRatio"), "0.5");
    EXPECT_NE(r.err.find("warning: --incl 'abc' is not a number; the box reads it as 0"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("--t1 '5000 K' is not a number; the box reads it as 5000"),
              std::string::npos)
        << r.err;
    EXPECT_EQ(r.err.find("--q"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("--r2"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("--lines"), std::string::npos) << r.err;
}

TEST(CliInfo, UsageErrors) {
    CliRun unknown = RunCli("info --frobnicate");
    EXPECT_EQ(unknown.exit, 2);
    EXPECT_NE(unknown.err.find("--frobnicate"), std::string::npos);
    EXPECT_EQ(RunCli("info --q").exit, 2);
    EXPECT_EQ(RunCli("info --width 0").exit, 2);
    EXPECT_EQ(RunCli("nonsense").exit, 2);
    CliRun help = RunCli("info --help");
    EXPECT_EQ(help.exit, 0);
    EXPECT_NE(help.out.find("--rotation-period"), std::string::npos);
}

TEST(CliRender, WritesABitmapOfThePictureSize) {
    auto path = std::filesystem::temp_directory_path() / "vandrel-cli-test" / "render.bmp";
    std::filesystem::remove(path);
    CliRun r = RunCli("render --out " + path.string() + " --width 400 --height 200 --mode grid");
    ASSERT_EQ(r.exit, 0) << r.err;
    std::string bytes;
    ASSERT_TRUE(vp::ReadWholeFile(path.string(), bytes));
    ASSERT_GE(bytes.size(), 54u);
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    auto le32 = [&](int at) {
        return int(uint8_t(bytes[at])) | int(uint8_t(bytes[at + 1])) << 8 |
               int(uint8_t(bytes[at + 2])) << 16 | int(uint8_t(bytes[at + 3])) << 24;
    };
    EXPECT_EQ(le32(18), 400);
    EXPECT_EQ(std::abs(le32(22)), 200);
}

TEST(CliRender, UnwritablePathIsNamed) {
    CliRun r = RunCli("render --out /nonexistent-folder/x.bmp");
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find("/nonexistent-folder/x.bmp"), std::string::npos);
    EXPECT_EQ(RunCli("render").exit, 2);
    EXPECT_EQ(RunCli("render --out x.bmp --mode sketch").exit, 2);
}

TEST(CliLightCurve, RecordsTheWindowsFile) {
    auto path = std::filesystem::temp_directory_path() / "vandrel-cli-test" / "lc.csv";
    std::filesystem::remove(path);
    CliRun r = RunCli("lightcurve --out " + path.string() + " --flux --lines 4 --step 10");
    ASSERT_EQ(r.exit, 0) << r.err;
    std::string bytes;
    ASSERT_TRUE(vp::ReadWholeFile(path.string(), bytes));
    EXPECT_EQ(bytes.substr(0, 25), "Phase, Red, Green, Blue\r\n");
    int lines = 0;
    for (char c : bytes) lines += c == '\n';
    EXPECT_EQ(lines, 1 + 2 * 36);
    EXPECT_EQ(bytes.find(", 0,"), std::string::npos);  // every colour measured
}

TEST(CliLightCurve, ARecordingThatCannotCompleteEnds) {
    auto path = std::filesystem::temp_directory_path() / "vandrel-cli-test" / "black.csv";
    CliRun black = RunCli("lightcurve --out " + path.string() + " --zoom 0 --lines 2");
    EXPECT_EQ(black.exit, 1);
    EXPECT_NE(black.err.find("did not complete"), std::string::npos);
    // A negative step is corrected to 0, like the window's box: every frame lies at phase 0,
    // the recording completes with that one phase, and the tool says so.
    CliRun still = RunCli("lightcurve --out " + path.string() + " --step -5 --lines 2");
    EXPECT_EQ(still.exit, 0);
    EXPECT_NE(still.err.find("one phase"), std::string::npos);
}

// A tiny step would take hours (and 360 / step overflows): refused at once with the reason.
TEST(CliLimits, RunsThatWouldDrawTooManyFramesAreRefusedAtOnce) {
    auto folder = std::filesystem::temp_directory_path() / "vandrel-cli-test";
    const std::string out = (folder / "limits.csv").string();
    const std::string runs[] = {
        "lightcurve --out " + out + " --step 1e-300",
        "lightcurve --out " + out + " --step 1e-9",
        "lightcurve --all-atlas " + (folder / "limits").string() + " --step 0.015",
        "frames --dir " + (folder / "limits").string() + " --step 0.003",
        "frames --gif " + (folder / "limits.gif").string() + " --step 0.003",
    };
    for (const std::string& run : runs) {
        CliRun r = RunCli(run);
        EXPECT_EQ(r.exit, 1) << run;
        EXPECT_NE(r.err.find("a run draws at most 100000 frames"), std::string::npos) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(folder / "limits"));
    EXPECT_FALSE(std::filesystem::exists(folder / "limits.gif"));
}

}  // namespace
