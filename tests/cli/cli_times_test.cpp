// The flux engine's light curve at observed times: the times kept as they were given, the
// light that of their phases.
#include <gtest/gtest.h>

#include <QImage>
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

std::string Read(const fs::path& path) {
    std::string text;
    vp::ReadWholeFile(path.string(), text);
    return text;
}

// The CSV's rows as numbers, after its header line.
std::vector<std::vector<double>> Rows(const std::string& text, std::string& header) {
    std::istringstream in(text);
    std::getline(in, header);
    std::vector<std::vector<double>> rows;
    std::string line, field;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        rows.emplace_back();
        while (std::getline(fields, field, ',')) rows.back().push_back(std::stod(field));
    }
    return rows;
}

TEST(CliTimes, ALightCurveAtTimesKeepsTheTimesAndGivesTheLightOfTheirPhases) {
    const fs::path dir = Scratch("times");
    const double period = 0.631141, epoch = 2450000.3;
    const std::vector<double> phases = {0.02, 0.25, 0.48, 0.93};
    std::string times = "BJD\n", phaseList;
    char line[64];
    for (std::size_t k = 0; k < phases.size(); ++k) {
        // Times some hundred periods either side of the epoch.
        const double cycles = phases[k] + (k % 2 ? 317.0 : -204.0);
        std::snprintf(line, sizeof line, "%.9f\n", epoch + cycles * period);
        times += line;
        std::snprintf(line, sizeof line, "%.9f\n", cycles - std::floor(cycles));
        phaseList += line;
    }
    vp::WriteFileAtomically((dir / "times.txt").string(), times);
    vp::WriteFileAtomically((dir / "phases.txt").string(), phaseList);
    const std::string system = " --precise --star 'CG Cyg' --bands V,TESS --absolute --out ";
    CliRun r = RunCli("lightcurve" + system + (dir / "t.csv").string() + " --times " +
                      (dir / "times.txt").string() + " --period 0.631141 --epoch 2450000.3" +
                      " --plot-png " + (dir / "t.png").string());
    ASSERT_EQ(r.exit, 0) << r.err;
    CliRun p = RunCli("lightcurve" + system + (dir / "p.csv").string() + " --phase-list " +
                      (dir / "phases.txt").string());
    ASSERT_EQ(p.exit, 0) << p.err;

    std::string timeHeader, phaseHeader;
    const auto atTimes = Rows(Read(dir / "t.csv"), timeHeader);
    const auto atPhases = Rows(Read(dir / "p.csv"), phaseHeader);
    EXPECT_EQ(timeHeader, "time,V,TESS");
    EXPECT_EQ(phaseHeader, "phase,V,TESS");
    ASSERT_EQ(atTimes.size(), phases.size());
    ASSERT_EQ(atPhases.size(), phases.size());
    std::istringstream given(times.substr(4));
    for (std::size_t k = 0; k < phases.size(); ++k) {
        double t = 0;
        given >> t;
        EXPECT_NEAR(atTimes[k][0], t, 1e-6);
        for (int band = 1; band <= 2; ++band)
            EXPECT_NEAR(atTimes[k][band], atPhases[k][band], 1e-6 * atPhases[k][band]);
    }
    EXPECT_FALSE(QImage(QString::fromStdString((dir / "t.png").string())).isNull());
}

}  // namespace
