// vandrel-cli with the physics of real binaries: radial velocities, third light, absolute
// dimensions, and the systems an option does not fit.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_cli.h"

namespace {

using vp::testing::RunCli;

std::vector<std::vector<double>> Rows(const std::string& csv) {
    std::vector<std::vector<double>> rows;
    std::istringstream in(csv);
    std::string line;
    std::getline(in, line);  // the header
    while (std::getline(in, line)) {
        std::vector<double> row;
        std::istringstream fields(line);
        std::string f;
        while (std::getline(fields, f, ',')) row.push_back(f.empty() ? NAN : std::stod(f));
        rows.push_back(row);
    }
    return rows;
}

const char* kSpheres = "--no-tidal --q 0.5 --r1 0.1 --r2 0.08 --incl 90 --t1 6000 --t2 5000";

TEST(CliPhysics, RadialVelocitiesOfSpheresFollowKeplersLaw) {
    const auto run = RunCli(std::string("rv ") + kSpheres + " --period 2 --a 10 --phases 5");
    ASSERT_EQ(run.exit, 0) << run.err;
    EXPECT_EQ(run.out.substr(0, run.out.find('\n')), "phase,rv1,rv2,rv1_V,rv2_V");
    // K = 2 pi a sin i / P times the other star's share of the mass.
    const double speed = 2 * std::numbers::pi * 10 * 6.957e8 / (2 * 86400) / 1000;
    const auto rows = Rows(run.out);
    ASSERT_EQ(rows.size(), 5u);
    const auto& quadrature = rows[2];  // phase 0.25
    EXPECT_NEAR(std::fabs(quadrature[1]), speed / 3, 1e-6 * speed);
    EXPECT_NEAR(std::fabs(quadrature[2]), 2 * speed / 3, 1e-6 * speed);
    EXPECT_LT(quadrature[1] * quadrature[2], 0);
    // Out of eclipse the light of a rotating sphere is symmetric about its centre.
    EXPECT_NEAR(quadrature[3], quadrature[1], 1e-6 * speed);
    EXPECT_NEAR(rows[1][1], 0, 1e-9 * speed);  // conjunction

    const auto missing = RunCli(std::string("rv ") + kSpheres + " --period 2");
    EXPECT_EQ(missing.exit, 2);
    EXPECT_NE(missing.err.find("--a"), std::string::npos) << missing.err;
}

TEST(CliPhysics, ThirdLightDilutesTheDepthsExactly) {
    const std::string csv = (vp::testing::Scratch("third-light") / "curve.csv").string();
    auto deepest = [&](const std::string& extra) {
        const auto run = RunCli(std::string("lightcurve --precise --bands V,TESS --phases 41 ") +
                                kSpheres + " --out " + csv + " " + extra);
        EXPECT_EQ(run.exit, 0) << run.err;
        std::string text;
        vp::ReadWholeFile(csv, text);
        std::vector<double> low = {1, 1};
        for (const auto& row : Rows(text))
            for (int b = 0; b < 2; ++b) low[b] = std::min(low[b], row[b + 1]);
        return low;
    };
    const auto plain = deepest(""), diluted = deepest("--l3 V=0.3,TESS=0.1");
    // (to the mesh's own flicker between phases out of eclipse)
    EXPECT_NEAR(1 - diluted[0], 0.7 * (1 - plain[0]), 1e-6);
    EXPECT_NEAR(1 - diluted[1], 0.9 * (1 - plain[1]), 1e-6);
    const auto unknown = RunCli(std::string("lightcurve --precise --bands V --out /dev/null ") +
                                kSpheres + " --l3 B=0.1");
    EXPECT_EQ(unknown.exit, 1);
    EXPECT_NE(unknown.err.find("band B"), std::string::npos) << unknown.err;
}

TEST(CliPhysics, AbsoluteDimensionsFromTheMassesAndWhatDoesNotFit) {
    // A third light of a band is no star's and does not stop the report.
    const auto run = RunCli(std::string("info --absolute ") + kSpheres +
                            " --period 1 --m1 1.2 --m2 0.6 --l3 V=0.1");
    ASSERT_EQ(run.exit, 0) << run.err;
    const auto at = run.out.find("mass (M_sun)");
    ASSERT_NE(at, std::string::npos) << run.out;
    std::istringstream masses(run.out.substr(at + 12, run.out.find('\n', at) - at - 12));
    double m1 = 0, m2 = 0;
    masses >> m1 >> m2;
    EXPECT_DOUBLE_EQ(m1, 1.2);
    EXPECT_DOUBLE_EQ(m2, 0.6);

    const auto contradicts = RunCli(std::string("info --absolute ") + kSpheres +
                                    " --period 1 --m1 1.2 --m2 0.9");
    EXPECT_EQ(contradicts.exit, 1);
    EXPECT_FALSE(contradicts.err.empty());
    // The default system is in contact: an eccentric orbit is refused with a reason.
    const auto eccentric = RunCli("lightcurve --precise --ecc 0.1 --out /dev/null");
    EXPECT_EQ(eccentric.exit, 1);
    EXPECT_NE(eccentric.err.find("eccentric orbit needs a detached system"), std::string::npos)
        << eccentric.err;
}

}  // namespace
