// vandrel-cli with the flux engine: the files astronomers read, the options that choose bands,
// limb darkening and times, the batch, and the agreement with the window's own recording.
#include <gtest/gtest.h>

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

std::string Exact(double v) {
    std::ostringstream out;
    out.precision(17);
    out << v;
    return out.str();
}

struct Table {
    std::vector<std::string> header;
    std::vector<std::vector<double>> rows;
};

Table ReadTable(const std::string& path, const std::string& separator = ",") {
    Table t;
    std::string text;
    vp::ReadWholeFile(path, text);
    std::stringstream in(text);
    std::string line;
    bool first = true;
    while (std::getline(in, line)) {
        std::vector<std::string> fields;
        std::size_t start = 0, at;
        while ((at = line.find(separator, start)) != std::string::npos) {
            fields.push_back(line.substr(start, at - start));
            start = at + separator.size();
        }
        fields.push_back(line.substr(start));
        if (first) {
            t.header = fields;
            first = false;
            continue;
        }
        std::vector<double> row;
        for (const auto& f : fields) row.push_back(std::stod(f));
        t.rows.push_back(row);
    }
    return t;
}

TEST(CliPrecise, WritesACsvEveryToolReadsWithAColumnPerBand) {
    const fs::path dir = Scratch("precisecsv");
    const std::string out = (dir / "c.csv").string(), png = (dir / "c.png").string();
    CliRun r = RunCli("lightcurve --precise --star 'Beta Per' --bands V,TESS,blue --out " + out +
                      " --plot-png " + png);
    ASSERT_EQ(r.exit, 0) << r.err;
    const Table t = ReadTable(out);
    EXPECT_EQ(t.header, (std::vector<std::string>{"phase", "V", "TESS", "blue"}));
    ASSERT_EQ(t.rows.size(), 721u);
    EXPECT_DOUBLE_EQ(t.rows.front()[0], -0.25);
    EXPECT_DOUBLE_EQ(t.rows.back()[0], 0.75);
    for (std::size_t b = 1; b < 4; ++b) {
        double top = 0, low = 1;
        for (const auto& row : t.rows) top = std::max(top, row[b]), low = std::min(low, row[b]);
        EXPECT_DOUBLE_EQ(top, 1);
        EXPECT_LT(low, 0.5);  // Algol's primary eclipse
    }
    EXPECT_TRUE(fs::is_regular_file(png));

    // Times in, times out; magnitudes below each band's brightest point.
    vp::WriteFileAtomically((dir / "t.txt").string(), "BJD\n2450000.0\n2450000.4\n2450001.1\n");
    r = RunCli("lightcurve --precise --star 'Beta Per' --bands V --mag --times " +
               (dir / "t.txt").string() + " --period 2.867 --epoch 2450000 --out " + out);
    ASSERT_EQ(r.exit, 0) << r.err;
    const Table m = ReadTable(out);
    EXPECT_EQ(m.header, (std::vector<std::string>{"time", "V"}));
    ASSERT_EQ(m.rows.size(), 3u);
    EXPECT_DOUBLE_EQ(m.rows[1][0], 2450000.4);
    EXPECT_GT(m.rows[0][1], 1);  // mid-eclipse: more than a magnitude below the brightest
}

TEST(CliPrecise, RefusesWhatItCannotComputeAndSaysWhy) {
    const fs::path dir = Scratch("preciseno");
    const std::string out = " --out " + (dir / "x.csv").string();
    CliRun r = RunCli("lightcurve --precise --bands V,Q" + out);
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find("unknown band 'Q'"), std::string::npos) << r.err;
    r = RunCli("lightcurve --precise --bands V --ld-law quadratic --ld1 V=0.4,0.2" + out);
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find("--ld2 V=A,B"), std::string::npos) << r.err;
    EXPECT_EQ(RunCli("lightcurve --bands V" + out).exit, 2);  // an engine option without --precise
    EXPECT_EQ(RunCli("lightcurve --precise --times t.txt" + out).exit, 1);  // no period
    r = RunCli("lightcurve --precise --single-star --rotation-period 0.01" + out);
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find("rotates too fast"), std::string::npos) << r.err;
    EXPECT_FALSE(fs::exists(dir / "x.csv"));
}

TEST(CliPrecise, AgreesWithTheWindowsRecordingToThePicturesOwnError) {
    // A detached atlas system: the engine's red, green and blue against the window's
    // recording of a large picture (flux scale, each colour to its own brightest point).
    const fs::path dir = Scratch("preciseagree");
    const std::string system = " --star 'CD Tau' --lines 40 --step 10 --width 2400 --height 1200";
    const std::string picture = (dir / "p.csv").string(), phases = (dir / "phases.txt").string();
    CliRun r = RunCli("lightcurve --flux --out " + picture + system);
    ASSERT_EQ(r.exit, 0) << r.err;
    const Table p = ReadTable(picture, ", ");
    std::string list;
    for (std::size_t i = 0; i < p.rows.size() / 2; ++i) list += Exact(p.rows[i][0]) + "\n";
    vp::WriteFileAtomically(phases, list);
    const std::string engine = (dir / "e.csv").string();
    r = RunCli("lightcurve --precise --phase-list " + phases + " --out " + engine + system);
    ASSERT_EQ(r.exit, 0) << r.err;
    const Table e = ReadTable(engine);
    ASSERT_EQ(e.rows.size(), p.rows.size() / 2);
    for (int c = 1; c <= 3; ++c) {
        double topPicture = 0;
        for (std::size_t i = 0; i < e.rows.size(); ++i)
            topPicture = std::max(topPicture, p.rows[i][c]);
        double sum = 0;
        for (std::size_t i = 0; i < e.rows.size(); ++i) {
            const double d = p.rows[i][c] / topPicture - e.rows[i][c];
            sum += d * d;
        }
        EXPECT_LT(std::sqrt(sum / e.rows.size()), 1e-3) << e.header[c];
    }
}

TEST(CliPrecise, CompareRecoversTheZeroPointOfTheEnginesOwnCurve) {
    const fs::path dir = Scratch("precisecompare");
    const std::string model = " --star 'AW UMa' --bands V";
    CliRun r =
        RunCli("lightcurve --precise --mag --phases 200 --out " + (dir / "m.csv").string() + model);
    ASSERT_EQ(r.exit, 0) << r.err;
    const Table m = ReadTable((dir / "m.csv").string());
    std::string observed = "phase,mag\n";
    for (const auto& row : m.rows) observed += Exact(row[0]) + "," + Exact(row[1] + 12.3) + "\n";
    vp::WriteFileAtomically((dir / "o.csv").string(), observed);
    r = RunCli("compare --observed " + (dir / "o.csv").string() + " --star 'AW UMa' --band V");
    ASSERT_EQ(r.exit, 0) << r.err;
    // Both curves are the engine's, each scaled to its own brightest sample.
    const std::size_t at = r.out.find("zero-point: ");
    ASSERT_NE(at, std::string::npos) << r.out;
    EXPECT_NEAR(std::stod(r.out.substr(at + 12)), 12.3, 1e-4) << r.out;
    EXPECT_NE(r.out.find("flux engine"), std::string::npos) << r.out;
}

TEST(CliPrecise, TheAtlasBatchWritesEachSystemsBandsAndTheirDepths) {
    const fs::path dir = Scratch("precisebatch");
    CliRun r = RunCli("lightcurve --precise --bands B,I --phases 181 --all-atlas " + dir.string() +
                      " --only 'Beta Per' --only 'AW UMa'");
    ASSERT_EQ(r.exit, 0) << r.err;
    std::string index;
    ASSERT_TRUE(vp::ReadWholeFile((dir / "index.csv").string(), index));
    EXPECT_EQ(index.substr(0, index.find('\n')),
              "name,file,contact,B_deeper,B_shallower,I_deeper,I_shallower,primary_phase,"
              "secondary_phase,status");
    EXPECT_NE(index.find("Beta Per (239),Beta_Per_239.csv,"), std::string::npos) << index;
    EXPECT_EQ(ReadTable((dir / "Beta_Per_239.csv").string()).header,
              (std::vector<std::string>{"phase", "B", "I"}));
}

}  // namespace
