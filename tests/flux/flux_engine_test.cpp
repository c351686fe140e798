// The flux engine against exact light curves of spheres and against the physics it must show.
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <sstream>

#include "flux/binary_system.h"
#include "flux/exact_spheres.h"

namespace vp::flux {
namespace {

Band MakeBand(const std::string& name) {
    Band band;
    std::string error;
    EXPECT_TRUE(FindBand(name, band, error)) << error;
    return band;
}

std::vector<double> Phases721() {
    std::vector<double> p;
    for (int i = 0; i <= 720; ++i) p.push_back(-0.25 + i / 720.0);
    return p;
}

std::vector<double> Normalised(std::vector<double> f) {
    const double top = *std::max_element(f.begin(), f.end());
    for (double& v : f) v /= top;
    return f;
}

std::vector<double> Curve(const BinaryParameters& p, const std::vector<double>& phases,
                          const std::string& band = "V", EngineOptions options = {}) {
    LightCurveModel model(p, {BandSetup{MakeBand(band), {}, {}}}, options);
    return Normalised(model.Fluxes(phases)[0]);
}

BinaryParameters Spheres(double r1, double r2, double incl, double u1, double u2) {
    BinaryParameters p;
    p.tidal = false;
    p.q = 1;
    p.r1 = r1;
    p.r2 = r2;
    p.incl = incl;
    p.w1 = u1;
    p.w2 = u2;
    p.t1 = p.t2 = 6000;
    return p;
}

struct Errors {
    double rms = 0, worst = 0;
};
Errors Compare(const std::vector<double>& a, const std::vector<double>& b) {
    Errors e;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const double d = a[i] - b[i];
        e.rms += d * d;
        e.worst = std::max(e.worst, std::fabs(d));
    }
    e.rms = std::sqrt(e.rms / a.size());
    return e;
}

TEST(FluxEngine, MatchesExactSphereCurvesAtTheDefaultResolution) {
    // The shipped references, then total, annular, grazing and transit cases made here.
    for (const char* file : {"spheres_total_annular.csv", "uniform_discs_partial.csv"}) {
        std::ifstream in(std::string(VANDREL_TEST_DATA) + "/reference/" + file);
        ASSERT_TRUE(in) << file;
        std::vector<double> phases, exact;
        std::string line;
        std::getline(in, line);
        while (std::getline(in, line)) {
            phases.push_back(std::stod(line.substr(0, line.find(','))));
            exact.push_back(std::stod(line.substr(line.find(',') + 1)));
        }
        const bool first = std::string(file) == "spheres_total_annular.csv";
        const auto p = first ? Spheres(0.2, 0.3, 90, 0.5, 0.5) : Spheres(0.25, 0.25, 80, 0, 0);
        const Errors e = Compare(Curve(p, phases), exact);
        EXPECT_LT(e.rms, 1e-4) << file;
        EXPECT_LT(e.worst, 5e-4) << file;
    }
    struct Case {
        double r1, r2, incl, u1, u2;
    };
    for (const Case c : {Case{0.3, 0.1, 88, 0.6, 0.3},    // a small star transits a large one
                         Case{0.15, 0.35, 71, 0.7, 0.2},  // grazing
                         Case{0.22, 0.22, 86, 1.0, 1.0},  // deep partial, fully darkened limbs
                         Case{0.05, 0.4, 90, 0.4, 0.6}}) {
        const auto phases = Phases721();
        std::vector<double> exact;
        for (double ph : phases)
            exact.push_back(testing::SphereCurve(ph, c.r1, c.r2, c.u1, c.u2, c.incl));
        const Errors e = Compare(Curve(Spheres(c.r1, c.r2, c.incl, c.u1, c.u2), phases), exact);
        EXPECT_LT(e.rms, 1e-4) << c.r1 << " " << c.r2 << " " << c.incl;
        EXPECT_LT(e.worst, 5e-4) << c.r1 << " " << c.r2 << " " << c.incl;
    }
}

TEST(FluxEngine, EveryLimbDarkeningLawGivesADiscItsExactLight) {
    // A disc of radius R and law I(mu) shines 2 pi R^2 times the integral of I mu over mu.
    using L = LimbDarkening::Law;
    struct Case {
        LimbDarkening law;
        double integral;  // of I(mu) mu from 0 to 1, times 2
    };
    const Case cases[] = {{{L::Linear, 0.6, 0}, 1 - 0.6 / 3},
                          {{L::Quadratic, 0.4, 0.25}, 1 - 0.4 / 3 - 0.25 / 6},
                          {{L::SquareRoot, 0.2, 0.5}, 1 - 0.2 / 3 - 0.5 / 5},
                          {{L::Logarithmic, 0.6, 0.2}, 1 - 0.6 / 3 + 2 * 0.2 / 9},
                          {{L::Power2, 0.7, 0.6}, 1 - 0.7 * 0.6 / (0.6 + 2)}};
    const Band v = MakeBand("V");
    for (const Case& c : cases) {
        BinaryParameters p = Spheres(0.3, 0.2, 90, 0, 0);
        LightCurveModel model(p, {BandSetup{v, c.law, c.law}});
        const double quadrature[] = {0.25};
        const double flux = model.Fluxes(quadrature)[0][0];
        const double exact = v.Intensity(6000) * std::numbers::pi * (0.09 + 0.04) * c.integral;
        EXPECT_NEAR(flux / exact, 1, 2e-5) << LawName(c.law.law);
    }
}

TEST(FluxEngine, EclipsesShowThePhysicsOfTheStars) {
    BinaryParameters p;
    p.q = 0.6;
    p.r1 = 0.3;
    p.r2 = 0.25;
    p.incl = 88;
    p.t1 = 9000;
    p.t2 = 5000;
    const double at[] = {0, 0.5, 0.25};
    auto depths = [&](const std::string& band) {
        LightCurveModel model(p, {BandSetup{MakeBand(band), {}, {}}});
        const auto f = model.Fluxes(at)[0];
        return std::pair{1 - f[0] / f[2], 1 - f[1] / f[2]};
    };
    // Phase 0 hides the hotter star 1: the deeper eclipse, and more so in blue light.
    const auto [blueHot, blueCool] = depths("B");
    const auto [redHot, redCool] = depths("I");
    EXPECT_GT(blueHot, blueCool);
    EXPECT_GT(redHot, redCool);
    EXPECT_GT(blueHot, redHot);
    EXPECT_LT(blueCool, redCool);

    // A total eclipse has a flat bottom (to the engine's accuracy); a pole-on system does not
    // vary at all.
    const auto total = Curve(Spheres(0.15, 0.35, 90, 0.5, 0.5), {-0.004, 0, 0.004, 0.25}, "V");
    EXPECT_NEAR(total[0], total[1], 2e-5);
    EXPECT_NEAR(total[2], total[1], 2e-5);
    EXPECT_LT(total[1], 0.9);
    BinaryParameters poleOn = p;
    poleOn.incl = 0;
    const auto flat = Curve(poleOn, Phases721(), "TESS");
    for (double v : flat) EXPECT_NEAR(v, 1, 1e-9);

    // Equal stars: both conjunctions alike, each curve symmetric about them.
    BinaryParameters twins;
    twins.q = 1;
    twins.r1 = twins.r2 = 0.33;
    twins.t1 = twins.t2 = 6500;
    twins.incl = 84;
    std::vector<double> phases;
    for (int i = 0; i < 100; ++i) phases.push_back(0.005 * i);
    std::vector<double> shifted = phases;
    for (double& ph : shifted) ph += 0.5;
    const auto a = Curve(twins, phases), b = Curve(twins, shifted);
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_NEAR(a[i], b[i], 2e-5) << phases[i];
}

TEST(FluxEngine, LightIsContinuousThroughFirstAndFourthContact) {
    // Around first contact of a detached Roche pair, steps of 1e-5 in phase may change the light
    // only as much as the curve's slope allows, never by a jump.
    BinaryParameters p;
    p.q = 0.5;
    p.r1 = 0.35;
    p.r2 = 0.25;
    p.incl = 85;
    p.t2 = 6000;
    LightCurveModel model(p, {BandSetup{MakeBand("V"), {}, {}}});
    std::vector<double> phases;
    for (int i = 0; i <= 4000; ++i) phases.push_back(0.04 + 0.00005 * i);  // 0.04 .. 0.24
    const auto f = Normalised(model.Fluxes(phases)[0]);
    // A jump would make one step differ from the mean of its neighbours by its size; the
    // mesh's own roughness stays below a few millionths.
    double largest = 0;
    for (std::size_t i = 2; i + 1 < f.size(); ++i) {
        const double step = f[i] - f[i - 1];
        const double around = 0.5 * ((f[i - 1] - f[i - 2]) + (f[i + 1] - f[i]));
        largest = std::max(largest, std::fabs(step - around));
    }
    EXPECT_LT(largest, 5e-6);
}

TEST(FluxEngine, AContactSystemsLightDoesNotJumpWhereTheNeckIsEclipsed) {
    // Through the eclipses of contact envelopes in steps of 1/2880: the second differences of
    // a smooth curve stay near 1e-6; a triangle at the neck that drops in or out of the eclipse
    // as a whole, or an outline that leaps where it turns sharply at the neck's rim, shows as a
    // jump of some 1e-3.
    BinaryParameters shallow;  // q = 0.35, i = 82
    shallow.q = 0.35;
    shallow.r1 = 0.46;
    shallow.r2 = 0.29;
    shallow.t1 = 6200;
    shallow.t2 = 5900;
    const BinaryParameters standard;  // the window's own system: q = 2.4, i = 82
    std::vector<double> phases;
    for (int i = 0; i <= 1440; ++i) phases.push_back(i / 2880.0);
    for (const BinaryParameters& p : {shallow, standard}) {
        const auto f = Curve(p, phases);
        double largest = 0, at = 0;
        for (std::size_t i = 1; i + 1 < f.size(); ++i) {
            const double d2 = std::fabs(f[i + 1] - 2 * f[i] + f[i - 1]);
            if (d2 > largest) largest = d2, at = phases[i];
        }
        EXPECT_LT(largest, 2.5e-4) << "q = " << p.q << " at phase " << at;
    }
}

TEST(FluxEngine, RocheCurveAtTheDefaultResolutionMatchesAFineOne) {
    BinaryParameters p;  // q = 0.5 with both stars within 1 % of filling their lobes
    p.q = 0.5;
    p.r1 = 0.4095;
    p.r2 = 0.2949;
    p.incl = 82;
    p.t1 = 8000;
    p.t2 = 6000;
    const auto phases = Phases721();
    const Errors e = Compare(Curve(p, phases), Curve(p, phases, "V", EngineOptions{48}));
    EXPECT_LT(e.rms, 1e-4);
}

TEST(FluxEngine, AContactEnvelopeHidesItsOwnNeck) {
    // q = 1, both pole radii 0.38, i = 82, linear limb darkening 0.5: the light of the common
    // envelope traced ray by ray through a 1200 x 1200 grid (tools/raytrace_contact.py),
    // relative to quadrature. The near star's body hides the neck behind it near eclipse.
    BinaryParameters p;
    p.q = 1;
    p.r1 = p.r2 = 0.38;
    p.incl = 82;
    p.t1 = p.t2 = 8200;
    const std::vector<double> phases = {0.25, 0, 0.04, 0.07, 0.1, 0.13, 0.18};
    const double traced[] = {0.9434116, 0.4769097, 0.5659337, 0.6665466,
                             0.7524069, 0.8165835, 0.8956316};
    LightCurveModel model(p, {BandSetup{MakeBand("V"), {}, {}}});
    const std::vector<double> f = model.Fluxes(phases)[0];
    for (std::size_t i = 1; i < phases.size(); ++i)
        EXPECT_NEAR(f[i] / f[0], traced[i] / traced[0], 2.5e-4) << "phase " << phases[i];
}

TEST(FluxEngine, RefusesWhatDescribesNoSystem) {
    const Band v = MakeBand("V");
    auto refused = [&](BinaryParameters p, const std::string& words) {
        try {
            LightCurveModel model(p, {BandSetup{v, {}, {}}});
        } catch (const std::invalid_argument& e) {
            return std::string(e.what()).find(words) != std::string::npos;
        }
        return false;
    };
    BinaryParameters p;
    p.q = -1;
    EXPECT_TRUE(refused(p, "mass ratio"));
    p = {};
    p.r2 = std::nan("");
    EXPECT_TRUE(refused(p, "r2"));
    p = {};
    p.twoStars = false;
    p.rotationPeriod = 0.02;
    EXPECT_TRUE(refused(p, "rotates too fast"));
    LightCurveModel model(BinaryParameters{}, {BandSetup{v, {}, {}}});
    const double bad[] = {std::nan("")};
    EXPECT_THROW(model.Fluxes(bad), std::invalid_argument);
}

TEST(Passbands, EveryShippedBandLoadsAndFollowsPlanck) {
    for (const std::string& name : BandNames()) {
        const Band band = MakeBand(name);
        if (band.kind != Band::Kind::Filter) continue;
        // Hotter is brighter; far into the Rayleigh-Jeans tail the intensity grows as T.
        EXPECT_GT(band.Intensity(6000), band.Intensity(5000)) << name;
        EXPECT_NEAR(band.Intensity(4e7) / band.Intensity(2e7), 2, 0.005) << name;
    }
    Band band;
    std::string error;
    EXPECT_FALSE(FindBand("v", band, error));  // Johnson V is upper case; no SDSS v
    EXPECT_NE(error.find("TESS"), std::string::npos);
}

}  // namespace
}  // namespace vp::flux
