// The atlas batch of the headless tool: its files against single runs, its index, its
// progress and failure reports.
#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "core/atomic_file.h"
#include "support/run_cli.h"

namespace {

using vp::testing::CliRun;
using vp::testing::RunCli;
using vp::testing::Scratch;
namespace fs = std::filesystem;

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::stringstream in(text);
    for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
    return parts;
}

std::vector<std::vector<std::string>> IndexRows(const fs::path& dir) {
    std::string text;
    EXPECT_TRUE(vp::ReadWholeFile((dir / "index.csv").string(), text));
    std::vector<std::vector<std::string>> rows;
    for (const std::string& line : Split(text, '\n')) rows.push_back(Split(line, ','));
    return rows;
}

// The first turn of a flux-scale light-curve file: phase, red, green, blue per row.
std::vector<std::vector<double>> FirstTurn(const std::string& csv) {
    std::vector<std::vector<double>> rows;
    std::vector<std::string> lines = Split(csv, '\n');
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::vector<double> row;
        for (const std::string& field : Split(lines[i], ',')) row.push_back(std::stod(field));
        rows.push_back(row);
    }
    rows.resize(rows.size() / 2);
    return rows;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t n = 0;
    for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

double CircleDistance(double a, double b) {
    const double d = std::fabs(a - b) - std::floor(std::fabs(a - b));
    return std::min(d, 1 - d);
}

const char* const kSystems[][2] = {
    {"AW UMa (106)", "AW_UMa_106.csv"},
    {"TX UMa  (253)", "TX_UMa_253.csv"},
    {"SMC X-1 (327)", "SMC_X-1_327.csv"},
};

TEST(CliBatch, FilesEqualSingleRunsAndTheIndexDescribesThem) {
    fs::path dir = Scratch("batch");
    const std::string model = " --step 20 --lines 4 --flux";
    CliRun r = RunCli(
        "lightcurve --all-atlas " + (dir / "out").string() +
        " --only 'SMC X-1 (327)' --only 'AW UMa (106)' --only 'TX UMa  (253)' --jobs 2" + model);
    ASSERT_EQ(r.exit, 0) << r.err;
    // Not a terminal: one progress line per system, then the summary.
    EXPECT_EQ(Count(r.err, "/3 systems"), 3u) << r.err;
    EXPECT_NE(r.err.find("3/3 systems  100%"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("3 of 3 systems recorded"), std::string::npos) << r.err;

    auto rows = IndexRows(dir / "out");
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0][0], "name");
    EXPECT_EQ(rows[0].size(), 13u);
    for (int s = 0; s < 3; ++s) {
        const auto& row = rows[s + 1];  // atlas order, not the order given
        ASSERT_EQ(row.size(), 13u);
        EXPECT_EQ(row[0], kSystems[s][0]);
        EXPECT_EQ(row[1], kSystems[s][1]);
        EXPECT_EQ(row[11], "0.0000");  // never cut by the picture's edge
        EXPECT_EQ(row[12], "ok");

        std::string batch, single;
        ASSERT_TRUE(vp::ReadWholeFile((dir / "out" / kSystems[s][1]).string(), batch));
        const std::string alone = (dir / "alone.csv").string();
        CliRun one = RunCli("lightcurve --star '" + std::string(kSystems[s][0]) + "' --out " +
                            alone + model);
        ASSERT_EQ(one.exit, 0) << one.err;
        ASSERT_TRUE(vp::ReadWholeFile(alone, single));
        EXPECT_EQ(batch, single) << kSystems[s][0];

        // Depths recomputed from the file: the deeper minimum of a colour is its faintest
        // point, and the primary lies within a step of the lowest summed light.
        auto turn = FirstTurn(batch);
        ASSERT_EQ(turn.size(), 18u);
        for (int c = 1; c <= 3; ++c) {
            double low = 1e9, high = 0;
            for (const auto& t : turn) low = std::min(low, t[c]), high = std::max(high, t[c]);
            const double deeper = std::stod(row[1 + 2 * c]), shallower = std::stod(row[2 + 2 * c]);
            EXPECT_NEAR(deeper, 1 - low / high, 2e-6) << kSystems[s][0] << " colour " << c;
            EXPECT_GE(deeper, shallower);
            EXPECT_GE(shallower, 0);
        }
        auto faintest = std::min_element(
            turn.begin(), turn.end(),
            [](const auto& a, const auto& b) { return a[1] + a[2] + a[3] < b[1] + b[2] + b[3]; });
        const double phase = (*faintest)[0] - std::floor((*faintest)[0]);
        EXPECT_LT(CircleDistance(std::stod(row[9]), phase), 20.0 / 360) << kSystems[s][0];
        const double apart = std::fabs(std::stod(row[10]) - std::stod(row[9]));
        EXPECT_GE(std::min(apart, 1 - apart), 0.25) << kSystems[s][0];
    }
    EXPECT_EQ(rows[1][2], "contact");
    EXPECT_EQ(rows[2][2], "star 2 fills its lobe");
    EXPECT_EQ(rows[3][2], "star 1 fills its lobe");
}

// A circular orbit has its eclipses at phases 0 and 0.5. The samples of a 5 degree step put
// AW UMa's flat-bottomed secondary and Beta Per's shallow one at a neighbouring sample; a
// 7 degree step puts no sample at either centre.
TEST(CliBatch, MinimumPhasesAreTheCentresOfTheEclipsesFinerThanTheStep) {
    fs::path dir = Scratch("batchminima");
    for (const char* step : {"5", "7"}) {
        CliRun r =
            RunCli("lightcurve --all-atlas " + (dir / step).string() +
                   " --only 'AW UMa (106)' --only 'Beta Per (239)' --lines 4 --step " + step);
        ASSERT_EQ(r.exit, 0) << r.err;
        auto rows = IndexRows(dir / step);
        ASSERT_EQ(rows.size(), 3u);
        for (int s = 1; s <= 2; ++s) {
            EXPECT_LT(CircleDistance(std::stod(rows[s][9]), 0), 0.002) << rows[s][0] << step;
            EXPECT_LT(CircleDistance(std::stod(rows[s][10]), 0.5), 0.006) << rows[s][0] << step;
        }
    }
}

TEST(CliBatch, AFailingSystemIsReportedAndTheBatchGoesOn) {
    fs::path dir = Scratch("batchfail");
    fs::create_directories(dir / "out" / "AW_UMa_106.csv");  // a folder where the file should go
    CliRun r = RunCli("lightcurve --all-atlas " + (dir / "out").string() +
                      " --only 'AW UMa (106)' --only 'SMC X-1 (327)' --step 20 --lines 4 --jobs 1");
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find("failed: AW UMa (106): cannot write AW_UMa_106.csv"), std::string::npos)
        << r.err;
    EXPECT_NE(r.err.find("1 of 2 systems recorded"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::is_regular_file(dir / "out" / "SMC_X-1_327.csv"));
    auto rows = IndexRows(dir / "out");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1].back().substr(0, 20), "failed: cannot write");
    EXPECT_EQ(rows[2].back(), "ok");
}

TEST(CliBatch, LimitTakesTheFirstSystemsAndDrawsTheirPlots) {
    fs::path dir = Scratch("batchlimit");
    CliRun r = RunCli("lightcurve --all-atlas " + (dir / "out").string() +
                      " --limit 2 --plots --step 60 --lines 3");
    ASSERT_EQ(r.exit, 0) << r.err;
    auto rows = IndexRows(dir / "out");
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1][0], "44i Boo (3)");
    EXPECT_EQ(rows[2][0], "AD Cnc (4)");
    QImage plot(QString::fromStdString((dir / "out" / "plots" / "AD_Cnc_4.png").string()));
    EXPECT_EQ(plot.size(), QSize(1200, 720));
}

TEST(CliBatch, UsageErrors) {
    EXPECT_EQ(RunCli("lightcurve --all-atlas /tmp/x --only 'No Such Star'").exit, 2);
    EXPECT_EQ(RunCli("lightcurve --all-atlas /tmp/x --star 'AW UMa (106)'").exit, 2);
    EXPECT_EQ(RunCli("lightcurve --all-atlas /tmp/x --out a.csv").exit, 2);
    EXPECT_EQ(RunCli("lightcurve --all-atlas /tmp/x --limit two").exit, 2);
    EXPECT_EQ(RunCli("lightcurve --all-atlas /tmp/x --jobs 0").exit, 2);
    EXPECT_EQ(RunCli("lightcurve --out a.csv --plots").exit, 2);
}

}  // namespace
