// Reading the parameter boxes: the corrections written back, and the model values.
#include "model/parameters.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "core/constants.h"

namespace vp {
namespace {

struct Boxes {
    std::string zoom = "100", rotPer = "0.3", eta = "0", q = "2.4", iota = "82", r1 = "0.305",
                r2 = "0.45", w1 = "0.5", w2 = "0.5", n = "7", t1 = "8200", t2 = "8200", step = "5",
                gamma = "0";
    ParameterTexts Texts() {
        return {&zoom, &rotPer, &eta, &q, &iota, &r1, &r2, &w1, &w2, &n, &t1, &t2, &step, &gamma};
    }
};

ModelState Read(Boxes& b, ModelState m = {}) {
    ReadParameters(m, b.Texts(), 832, 365);
    return m;
}

TEST(Parameters, DefaultsNeedNoCorrection) {
    Boxes b;
    ModelState m = Read(b);
    EXPECT_EQ(b.iota, "82");
    EXPECT_EQ(m.MassRatio, 2.4);
    EXPECT_EQ(m.OrbitMassRatio, 2.4);
    EXPECT_NEAR(m.ViewScale, 100.0 * 365 / 300, 1e-9);
    EXPECT_EQ(m.RotPeriod, 0.3 * 24 * 3600);
    EXPECT_EQ(m.Iota, 82 * kPi / 180);
    EXPECT_EQ(m.NeckLines, 28);
    EXPECT_EQ(m.LatLines2, 7);
}

TEST(Parameters, CorrectionsWriteTheirTextsBack) {
    Boxes b;
    b.iota = "95";
    b.r1 = "1.2";
    b.r2 = "0.005";
    b.t1 = "250000";
    b.t2 = "-50";
    b.w1 = "3";
    b.w2 = "-1";
    b.n = "1000";
    b.step = "25";
    ModelState m = Read(b);
    EXPECT_EQ(b.iota, "90");
    EXPECT_EQ(m.Iota, 90 * kPi / 180);
    EXPECT_EQ(b.r1, "0.99");
    EXPECT_EQ(b.r2, "0.01");
    EXPECT_EQ(b.t1, "100000");
    EXPECT_EQ(b.t2, "1");
    EXPECT_EQ(m.Temp2, 1);
    EXPECT_EQ(b.w1, "1");
    EXPECT_EQ(b.w2, "0");
    EXPECT_EQ(b.n, "100");
    EXPECT_EQ(b.step, "20");
    b.iota = "-3";
    b.step = "-1";
    Read(b);
    EXPECT_EQ(b.iota, "0");
    EXPECT_EQ(b.step, "0");
}

TEST(Parameters, BoundariesAndAsymmetries) {
    Boxes b;
    b.r1 = "1";
    b.t1 = "100000";
    b.t2 = "0";
    ModelState m = Read(b);
    EXPECT_EQ(b.r1, "1");
    EXPECT_EQ(m.PoleRadius1, 1);
    EXPECT_EQ(b.t1, "100000");
    EXPECT_EQ(b.t2, "1");
}

// The orbit uses the corrected mass ratio too: a negative one would place the stars on the
// same side of the centre of mass.
TEST(Parameters, MassRatioIsCorrectedForTheOrbitToo) {
    for (const char* typed : {"0", "-5"}) {
        Boxes b;
        b.q = typed;
        ModelState m = Read(b);
        EXPECT_EQ(b.q, "0.001");
        EXPECT_EQ(m.MassRatio, 0.001);
        EXPECT_EQ(m.OrbitMassRatio, 0.001);
    }
}

TEST(Parameters, NonPositivePeriodKeepsThePreviousOne) {
    Boxes b;
    b.rotPer = "0";
    ModelState before;
    before.RotPeriod = 1234;
    EXPECT_EQ(Read(b, before).RotPeriod, 1234);
    b.rotPer = "-1";
    EXPECT_EQ(Read(b, before).RotPeriod, 1234);
    b.rotPer = "1";
    EXPECT_EQ(Read(b, before).RotPeriod, 86400);
}

TEST(Parameters, FractionalLineCountsStay) {
    Boxes b;
    b.n = "7.5";
    ModelState m = Read(b);
    EXPECT_EQ(b.n, "7.5");
    EXPECT_EQ(m.NeckLines, 30);
}

TEST(Parameters, EmptyAndWildTextsNeverGiveNonFiniteValues) {
    for (const std::string& text :
         {std::string(), std::string("abc"), std::string("1e400"), std::string("-1e400"),
          std::string("-0"), std::string(10000, '9'), std::string("1e-400")}) {
        Boxes b;
        b.zoom = b.rotPer = b.eta = b.q = b.iota = b.r1 = b.r2 = b.w1 = b.w2 = b.n = b.t1 = b.t2 =
            b.step = b.gamma = text;
        ModelState m = Read(b);
        for (double v : {m.MassRatio, m.OrbitMassRatio, m.PoleRadius1, m.PoleRadius2, m.Limb1,
                         m.Limb2, m.Temp1, m.Temp2, m.LatLines1, m.NeckLines, m.Iota, m.Eta,
                         m.Gamma, m.RotPeriod, m.ViewScale})
            EXPECT_TRUE(std::isfinite(v)) << text.substr(0, 20);
        for (const std::string* box : {&b.q, &b.iota, &b.r1, &b.r2, &b.n, &b.t1, &b.t2})
            EXPECT_EQ(box->find("nan"), std::string::npos);
    }
    Boxes empty;
    empty.q = empty.r1 = empty.t1 = empty.n = empty.iota = "";
    Read(empty);
    EXPECT_EQ(empty.q, "0.001");
    EXPECT_EQ(empty.r1, "0.01");
    EXPECT_EQ(empty.t1, "1");
    EXPECT_EQ(empty.n, "1");
    EXPECT_EQ(empty.iota, "");
}

}  // namespace
}  // namespace vp
