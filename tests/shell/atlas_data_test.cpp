#include "shell/atlas_data.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>
#include <string_view>

namespace vp {
namespace {

// Roche model of the program: separation 1, star 1 at the origin, star 2 at x = 1, q = M2/M1.
double InnerCriticalPotential(double q) {
    double x = 0.5;  // inner Lagrangian point, by Newton iteration
    for (int i = 0; i < 50; ++i) {
        const double u = std::abs(x - 1);
        const double f = -1 / (x * x) - q * ((x - 1) / (u * u * u) + 1) + (1 + q) * x;
        const double df = 2 / (x * x * x) + 2 * q / (u * u * u) + (1 + q);
        x -= f / df;
    }
    return 1 / x + q * (1 / (1 - x) - x) + 0.5 * (1 + q) * x * x;
}

double PolePotential1(double q, double r) {
    return 1 / r + q / std::sqrt(r * r + 1);
}

double PolePotential2(double q, double r) {
    const double d = std::sqrt(1 + r * r);
    const double lambda = 1 / d;
    const double nu = r / d;
    return 1 / d + q * (1 / std::sqrt(d * d - 2 * d * lambda + 1) - d * lambda) +
           0.5 * (1 + q) * (1 - nu * nu) * d * d;
}

// How many of the two stars overfill the inner critical surface.
int OverfilledStars(const AtlasRow& row) {
    const double critical = InnerCriticalPotential(row.q);
    return (PolePotential1(row.q, row.r1) < critical) + (PolePotential2(row.q, row.r2) < critical);
}

TEST(AtlasData, ListsAllSystemsFromFirstToLast) {
    ASSERT_EQ(kAtlasRows.size(), 324u);
    EXPECT_EQ(kAtlasRows.front().name, "44i Boo (3)");
    EXPECT_EQ(kAtlasRows.back().name, "FZ Ori (Tev)");
    EXPECT_EQ(kAtlasRows[1].name, "AD Cnc (4)");
    EXPECT_EQ(kAtlasRows[239].name, "TX UMa  (253)");
    for (const AtlasRow& row : kAtlasRows) EXPECT_NE(row.name, "TX UMa (253)");
}

TEST(AtlasData, NamesAreUnique) {
    std::set<std::string_view> names;
    for (const AtlasRow& row : kAtlasRows) EXPECT_TRUE(names.insert(row.name).second) << row.name;
}

TEST(AtlasData, FixedRowsKeepTheirValues) {
    struct Fixed {
        int index;
        std::string_view name;
        double q, incl, r1, r2, t1, t2;
    };
    const Fixed fixed[] = {
        {0, "44i Boo (3)", 1.997, 70.9, 0.297, 0.412, 5800, 5553},
        {7, "V1727 Cyg (10)", 2, 90, 0.3, 0.0005, 6700, 10000},
        {98, "AW UMa (106)", 0.072, 79.1, 0.567, 0.189, 7175, 6910},
        {225, "Beta Per (239)", 0.227, 82.31, 0.203, 0.241, 12000, 4888},
        {308, "SMC X-1 (327)", 0.0625, 64, 0.562, 0.001, 31500, 10000},
        {322, "V884 Sco (344)", 21, 87, 0.001, 0.418, 10000, 45000},
        {323, "FZ Ori (Tev)", 0.79152, 67.085, 0.3855, 0.347, 6108, 6055},
    };
    for (const Fixed& f : fixed) {
        const AtlasRow& row = kAtlasRows[f.index];
        EXPECT_EQ(row.name, f.name);
        EXPECT_EQ(row.origin, AtlasOrigin::Fixed) << f.name;
        EXPECT_EQ(row.q, f.q) << f.name;
        EXPECT_EQ(row.incl, f.incl) << f.name;
        EXPECT_EQ(row.r1, f.r1) << f.name;
        EXPECT_EQ(row.r2, f.r2) << f.name;
        EXPECT_EQ(row.t1, f.t1) << f.name;
        EXPECT_EQ(row.t2, f.t2) << f.name;
    }
    int fixed_rows = 0;
    for (const AtlasRow& row : kAtlasRows) fixed_rows += row.origin == AtlasOrigin::Fixed;
    EXPECT_EQ(fixed_rows, 7);
}

TEST(AtlasData, EveryRowFitsItsKindInTheRocheModel) {
    for (const AtlasRow& row : kAtlasRows) {
        if (row.origin == AtlasOrigin::Fixed) continue;
        const int expected = row.kind == "contact" ? 2 : row.kind == "semi-detached" ? 1 : 0;
        EXPECT_EQ(OverfilledStars(row), expected) << row.name << " (" << row.kind << ")";
    }
}

TEST(AtlasData, ValuesStayInsideTheirRanges) {
    for (const AtlasRow& row : kAtlasRows) {
        const std::string name(row.name);
        EXPECT_TRUE(row.kind == "contact" || row.kind == "semi-detached" || row.kind == "detached")
            << name;
        EXPECT_GE(row.q, 0.0625) << name;
        EXPECT_LE(row.q, 21) << name;
        EXPECT_GE(row.incl, 0) << name;
        EXPECT_LE(row.incl, 90) << name;
        for (double r : {row.r1, row.r2}) {
            EXPECT_GE(r, 0.0005) << name;
            EXPECT_LE(r, 0.574) << name;
        }
        for (double t : {row.t1, row.t2}) {
            EXPECT_GT(t, 0) << name;
            EXPECT_LE(t, 45000) << name;
        }
    }
}

}  // namespace
}  // namespace vp
