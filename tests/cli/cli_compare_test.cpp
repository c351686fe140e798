// vandrel-cli compare: observed files in the forms users keep them, the fitted scale, and
// files it must refuse with the line at fault.
#include <gtest/gtest.h>

#include <QImage>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "core/atomic_file.h"
#include "support/run_cli.h"

namespace {

using vp::testing::CliRun;
using vp::testing::ReadmeCommand;
using vp::testing::RunCli;
using vp::testing::Scratch;
namespace fs = std::filesystem;

const std::string kModel = " --star 'AW UMa (106)' --step 10 --lines 4";

// The model's first turn as the lightcurve command writes it: phase and one colour.
std::vector<std::pair<double, double>> ModelCurve(const fs::path& dir, const std::string& scale,
                                                  int column) {
    const std::string path = (dir / "model.csv").string();
    CliRun r = RunCli("lightcurve --out " + path + kModel + " " + scale);
    EXPECT_EQ(r.exit, 0) << r.err;
    std::string text;
    vp::ReadWholeFile(path, text);
    std::vector<std::pair<double, double>> rows;
    std::stringstream in(text);
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
        double v[4];
        if (std::sscanf(line.c_str(), "%lf, %lf, %lf, %lf", &v[0], &v[1], &v[2], &v[3]) == 4)
            rows.emplace_back(v[0], v[column]);
    }
    rows.resize(rows.size() / 2);
    return rows;
}

double After(const std::string& text, const std::string& label) {
    std::size_t at = text.find(label);
    return at == std::string::npos ? NAN : std::stod(text.substr(at + label.size()));
}

TEST(CliCompare, RecoversAFluxFactorFromTenThousandTimedObservations) {
    fs::path dir = Scratch("cmpflux");
    auto model = ModelCurve(dir, "--flux", 2);
    ASSERT_EQ(model.size(), 36u);
    const double period = 0.4387, epoch = 2451234.5678;
    std::string observed = "BJD, rel. flux, error\n";
    char line[128];
    for (int i = 0; i < 10000; ++i) {
        const auto& [phase, green] = model[(i * 7) % model.size()];
        std::snprintf(line, sizeof line, "%.10f, %.12g, 0.001\n",
                      epoch + (phase + i / 40 - 120) * period, 0.8 * green);
        observed += line;
    }
    vp::WriteFileAtomically((dir / "obs.csv").string(), observed);

    const auto start = std::chrono::steady_clock::now();
    CliRun r =
        RunCli("compare --picture --observed " + (dir / "obs.csv").string() +
               " --period 0.4387 --epoch 2451234.5678" + " --out " + (dir / "res.csv").string() +
               " --plot-png " + (dir / "cmp.png").string() + kModel);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.out.find("observations: 10000 "), std::string::npos) << r.out;
    EXPECT_NEAR(After(r.out, "flux factor: "), 0.8, 1e-6) << r.out;
    EXPECT_LT(After(r.out, "residual RMS: "), 1e-7) << r.out;
    EXPECT_LT(seconds, 30);  // a slack bound: reading is linear, whatever the machine's load

    std::string residuals;
    ASSERT_TRUE(vp::ReadWholeFile((dir / "res.csv").string(), residuals));
    // The times stay in the table beside their phases.
    EXPECT_EQ(residuals.substr(0, residuals.find('\n')),
              "line, time, phase, observed, model, residual");
    const std::string firstRow = residuals.substr(residuals.find('\n') + 1);
    EXPECT_NEAR(std::stod(firstRow.substr(firstRow.find(", ") + 2)),
                std::stod(observed.substr(observed.find('\n') + 1)), 1e-6);
    EXPECT_EQ(std::count(residuals.begin(), residuals.end(), '\n'), 10001);
    EXPECT_EQ(QImage(QString::fromStdString((dir / "cmp.png").string())).size(), QSize(1200, 720));
}

TEST(CliCompare, RecoversAZeroPointFromPhasedMagnitudesBetweenTheModelsSamples) {
    fs::path dir = Scratch("cmpmag");
    auto model = ModelCurve(dir, "--mag", 1);
    ASSERT_EQ(model.size(), 36u);
    // Whitespace columns, comments, CRLF ends, phases over more than one turn, and points
    // halfway between the model's samples, where the model is read between them.
    std::string observed = "# red, from the model itself\r\n\r\n";
    char line[128];
    for (std::size_t i = 0; i < model.size(); ++i) {
        const auto& a = model[i];
        const auto& b = model[(i + 1) % model.size()];
        const double turn = i % 3 == 0 ? 1 : 0;
        std::snprintf(line, sizeof line, "%.12f\t%+.12f  7\r\n", a.first + turn, a.second + 11.5);
        observed += line;
        if (i + 1 < model.size()) {
            std::snprintf(line, sizeof line, "%.12f %.12f\r\n", (a.first + b.first) / 2,
                          (a.second + b.second) / 2 + 11.5);
            observed += line;
        }
    }
    vp::WriteFileAtomically((dir / "obs.txt").string(), observed);
    CliRun r =
        RunCli("compare --picture --observed " + (dir / "obs.txt").string() + " --band red --mag" + kModel);
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.out.find("observations: 71 "), std::string::npos) << r.out;
    EXPECT_NEAR(After(r.out, "zero-point: "), 11.5, 1e-6) << r.out;
    EXPECT_LT(After(r.out, "residual RMS: "), 1e-7) << r.out;

    // The same observations against the blue model do not fit as well.
    CliRun blue =
        RunCli("compare --picture --observed " + (dir / "obs.txt").string() + " --band blue" + kModel);
    ASSERT_EQ(blue.exit, 0) << blue.err;
    EXPECT_GT(After(blue.out, "residual RMS: "), 1e-4) << blue.out;
}

TEST(CliCompare, TheReadmeExampleRunsOnItsShippedFileAndPrintsWhatTheReadmeShows) {
    const fs::path source = fs::path(VANDREL_SHARE_DIR).parent_path();
    std::string readme, shipped;
    ASSERT_TRUE(vp::ReadWholeFile((source / "README.md").string(), readme));
    ASSERT_TRUE(vp::ReadWholeFile((source / "share/examples/aw-uma-v.txt").string(), shipped));
    const std::string observe = ReadmeCommand(readme, "observe");
    const std::string compare = ReadmeCommand(readme, "compare");
    ASSERT_NE(observe.find("--out share/examples/aw-uma-v.txt"), std::string::npos) << observe;
    ASSERT_NE(compare.find("--observed share/examples/aw-uma-v.txt"), std::string::npos) << compare;

    // The documented command makes the shipped file, byte for byte.
    fs::path dir = Scratch("cmpreadme");
    fs::create_directories(dir / "share" / "examples");
    CliRun made = RunCli(observe, dir.string());
    ASSERT_EQ(made.exit, 0) << made.err;
    std::string remade;
    ASSERT_TRUE(vp::ReadWholeFile((dir / "share/examples/aw-uma-v.txt").string(), remade));
    EXPECT_EQ(remade, shipped);

    CliRun r = RunCli(compare, dir.string());
    ASSERT_EQ(r.exit, 0) << r.err;
    const std::size_t printed = readme.find("```\nobservations: ");
    ASSERT_NE(printed, std::string::npos);
    EXPECT_EQ(r.out, readme.substr(printed + 4, readme.find("```", printed + 4) - printed - 4));
    EXPECT_TRUE(fs::is_regular_file(dir / "aw-uma-fit.png"));
}

TEST(CliCompare, ObservedFluxesWithoutNoiseAreFittedExactly) {
    fs::path dir = Scratch("cmpobserve");
    const std::string file = (dir / "flux.txt").string();
    CliRun made =
        RunCli("observe --out " + file + " --flux --factor 5000 --count 300 --band blue" + kModel);
    ASSERT_EQ(made.exit, 0) << made.err;
    std::string text;
    ASSERT_TRUE(vp::ReadWholeFile(file, text));
    EXPECT_EQ(text.substr(0, text.find('\n')), "phase, flux");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 301);
    CliRun r = RunCli("compare --picture --observed " + file + " --band blue" + kModel);
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_NEAR(After(r.out, "flux factor: "), 5000, 1e-2) << r.out;
    EXPECT_LT(After(r.out, "residual RMS: "), 1e-2) << r.out;  // phases written to 1e-6
    EXPECT_EQ(RunCli("observe --count 10").exit, 2);
    EXPECT_EQ(RunCli("observe --out " + file + " --count 0").exit, 2);
    EXPECT_EQ(RunCli("observe --out " + file + " --period 1").exit, 2);
}

TEST(CliCompare, MalformedFilesAreAnsweredWithTheirLine) {
    fs::path dir = Scratch("cmpbad");
    const std::pair<std::string, std::string> cases[] = {
        {"phase,mag\n0.1,12\n0.2,abc\n", "line 3: 'abc' in column 2 is not a number"},
        {"0.1 12\n\n0.3\n", "line 3: one column only"},
        {"0.1;12\n0.2;\n", "line 2: one column only"},
        {"0.1 12\n2450000.5 12.1\n", "line 2: the phase 2450000.5 is outside -1 to 2"},
        {"0.1 12\n-3 12.1\n", "line 2: the phase -3 is outside"},
        {"", "no observations"},
        {"# only a comment\n", "no observations"},
        {"HJD mag\n2450000.1 12\n", "line 1: the first column is 'HJD'; phase times with --period"},
        {"0.1 inf\n", "line 1: 'inf' in column 2 is not a number"},
        {"0.1 12\nphase mag\n", "line 2: 'phase' in column 1 is not a number"},
        {"0.1 1.2.3\n", "line 1: '1.2.3' in column 2 is not a number"},
        {std::string("0.1 12\n\x01\x02\x00\x7f", 10), "line 2: a control character"},
    };
    for (const auto& [content, message] : cases) {
        vp::WriteFileAtomically((dir / "bad.txt").string(), content);
        CliRun r =
            RunCli("compare --picture --observed " + (dir / "bad.txt").string() + " --lines 2 --step 90");
        EXPECT_EQ(r.exit, 1) << content;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
    }
    vp::WriteFileAtomically((dir / "times.txt").string(), "phase flux\n0.1 1\n");
    CliRun phases =
        RunCli("compare --picture --observed " + (dir / "times.txt").string() + " --period 1 --epoch 0");
    EXPECT_EQ(phases.exit, 1);
    EXPECT_NE(phases.err.find("line 1: the first column holds phases"), std::string::npos)
        << phases.err;
    EXPECT_EQ(RunCli("compare --picture --observed " + (dir / "missing.txt").string()).exit, 1);
    EXPECT_EQ(RunCli("compare --picture --observed x --period 1").exit, 2);
    EXPECT_EQ(RunCli("compare --picture --observed x --period -1 --epoch 0").exit, 2);
    EXPECT_EQ(RunCli("compare --picture --observed x --band purple").exit, 2);
    EXPECT_EQ(RunCli("compare").exit, 2);
}

TEST(CliCompare, AbsurdValuesAreRefusedAndEveryKindOfLineEndIsRead) {
    fs::path dir = Scratch("cmpabsurd");
    const std::string model = " --lines 2 --step 90";
    const std::tuple<std::string, std::string, std::string> refused[] = {
        {"0.1 12\n0.2 1e300\n", "", "line 2: the magnitude 1e+300 is outside -100 to 100"},
        {"0.1 -101\n", "--mag", "line 1: the magnitude -101 is outside"},
        {"phase flux\n0.1 1\n0.2 -0.5\n", "", "line 3: the flux -0.5 is not above 0"},
        {"0.1 0\n", "--flux", "line 1: the flux 0 is not above 0"},
        {"0.1 1e200\n", "--flux", "line 1: the flux 1e+200 is not above 0 and at most 1e+100"},
        {"0.1 12\r0.2 x\r0.3 12\r", "", "line 2: 'x' in column 2 is not a number"},
    };
    for (const auto& [content, scale, message] : refused) {
        vp::WriteFileAtomically((dir / "obs.txt").string(), content);
        CliRun r = RunCli("compare --picture --observed " + (dir / "obs.txt").string() + " " + scale + model);
        EXPECT_EQ(r.exit, 1) << content;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_EQ(r.err.find("inf"), std::string::npos) << r.err;
    }
    // CR alone (old Mac files), LF and CR LF, also mixed: one observation per line.
    for (const std::string& content : {std::string("phase mag\r0.1 12\r0.4 12.1\r0.7 12.2\r"),
                                       std::string("0.1 12\r\n0.4 12.1\r0.7 12.2\n")}) {
        vp::WriteFileAtomically((dir / "obs.txt").string(), content);
        CliRun r = RunCli("compare --picture --observed " + (dir / "obs.txt").string() + model);
        EXPECT_EQ(r.exit, 0) << r.err;
        EXPECT_NE(r.out.find("observations: 3 "), std::string::npos) << r.out;
    }
}

}  // namespace
