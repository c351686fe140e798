// Radial velocities, eccentric orbits and absolute dimensions against their analytic limits,
// and the physics the engine refuses.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "flux/absolute_dimensions.h"
#include "flux/binary_system.h"
#include "flux/test_systems.h"
#include "flux/exact_spheres.h"

namespace vp::flux {
namespace {

constexpr double kPi = std::numbers::pi;

using testing::BandOf;

BinaryParameters Spheres(double r1, double r2, double incl) {
    return testing::SphereSystem(r1, r2, incl, 0.7, 7000, 5000);
}

// 2 pi a / P in km/s.
double Speed(double a, double period) {
    return 2 * kPi * a * kSolarRadius / (period * kSecondsPerDay) / 1000;
}

// The mean anomaly of true anomaly nu: the closed form, independent of the engine's solver of
// Kepler's equation; and the true anomaly of a mean anomaly by bisection on it.
double MeanOfTrue(double nu, double e) {
    const double E = 2 * std::atan(std::sqrt((1 - e) / (1 + e)) * std::tan(nu / 2));
    return E - e * std::sin(E);
}
double TrueOfMean(double M, double e) {
    M = std::remainder(M, 2 * kPi);
    double lo = -kPi + 1e-15, hi = kPi - 1e-15;
    for (int k = 0; k < 200; ++k) {
        const double mid = 0.5 * (lo + hi);
        (MeanOfTrue(mid, e) < M ? lo : hi) = mid;
    }
    return 0.5 * (lo + hi);
}

TEST(RadialVelocities, SpheresFollowKeplerWithTheirMassFractions) {
    // Out of eclipse a sphere's light-weighted velocity is its centre's: K1 = 2 pi a sin i / P
    // q / (1 + q), K2 = ... 1 / (1 + q), for a circular orbit, and with an eccentric one
    // K (cos(nu + omega) + e cos omega) / sqrt(1 - e^2) and gamma added.
    for (const double e : {0.0, 0.3}) {
        BinaryParameters p = Spheres(0.2, 0.15, 80);
        p.ecc = e;
        p.omega = 40;
        const LightCurveModel model(p, {BandOf("V"), BandOf("I")});
        OrbitScale scale;
        scale.period = 2.5;
        scale.a = 10;
        scale.gamma = -12;
        std::vector<double> phases;
        for (int i = 0; i < 200; ++i) phases.push_back(i / 200.0 + 0.001);
        const auto rv = model.RadialVelocities(phases, scale);
        const double root = std::sqrt(1 - e * e), q = p.q, incl = p.incl * kPi / 180;
        const double k1 = Speed(10, 2.5) * std::sin(incl) * q / (1 + q) / root;
        const double k2 = Speed(10, 2.5) * std::sin(incl) / (1 + q) / root;
        const double omega = p.omega * kPi / 180;
        const double m0 = MeanOfTrue(kPi / 2 - omega, e);  // phase 0: star 2 in front
        int checked = 0;
        for (std::size_t i = 0; i < phases.size(); ++i) {
            const double nu = TrueOfMean(m0 + 2 * kPi * phases[i], e);
            const double along = std::cos(nu + omega) + e * std::cos(omega);
            EXPECT_NEAR(rv.orbit1[i], -12 + k1 * along, 1e-9 * k1);
            EXPECT_NEAR(rv.orbit2[i], -12 - k2 * along, 1e-9 * k2);
            // Away from the conjunctions (no eclipse) the light-weighted ones agree.
            if (std::fabs(std::cos(nu + omega)) < 0.6) continue;
            ++checked;
            for (int b = 0; b < 2; ++b) {
                EXPECT_NEAR(rv.star1[b][i], rv.orbit1[i], 1e-6 * k1) << phases[i];
                EXPECT_NEAR(rv.star2[b][i], rv.orbit2[i], 1e-6 * k2) << phases[i];
            }
        }
        EXPECT_GT(checked, 50);
    }
}

TEST(RadialVelocities, RossiterMcLaughlinFollowsTheCoveredPartOfTheRotatingDisc) {
    // A small dark star crosses a rotating sphere (rotation synchronous, prograde): the light
    // it hides, dF, moved at the velocity v of the disc where it stands, so the rest of the
    // disc shows -v dF / (F - dF) beside the star's orbit: red-shifted while the approaching
    // limb is covered, blue-shifted after mid-transit, nothing at its middle.
    const double R = 0.2, r = 0.01, u = 0.6, incl = 88;
    BinaryParameters p = Spheres(R, r, incl);
    p.q = 0.001;
    p.t1 = 6000;
    p.t2 = 1000;  // no light in V
    p.w1 = u;
    const LightCurveModel model(p, {BandOf("V")});
    OrbitScale scale;
    scale.period = 3;
    scale.a = 10;
    std::vector<double> phases;
    for (int i = -20; i <= 20; ++i) phases.push_back(0.0175 * i / 20);
    const auto rv = model.RadialVelocities(phases, scale);
    const double speed = Speed(10, 3), si = std::sin(incl * kPi / 180);
    const double ci = std::cos(incl * kPi / 180);
    std::vector<double> expected;
    double largest = 0;
    for (double phase : phases) {
        const double a = 2 * kPi * phase;
        const double d = std::hypot(std::sin(a), std::cos(a) * ci);
        const double hidden = testing::HiddenLight(R, u, r, d);
        const double whole = testing::DiscLight(R, u);
        // The surface under the small star recedes at 2 pi a / P sin(2 pi phase) sin i.
        expected.push_back(-speed * std::sin(a) * si * hidden / (whole - hidden));
        largest = std::max(largest, std::fabs(expected.back()));
    }
    EXPECT_GT(expected.front(), 0);
    for (std::size_t i = 0; i < phases.size(); ++i)
        EXPECT_NEAR((rv.star1[0][i] - rv.orbit1[i]) / largest, expected[i] / largest, 3e-3)
            << phases[i];
}

TEST(EccentricOrbit, EclipsesFallWhereKeplersEquationPutsThem) {
    // Edge-on spheres: the minima lie at the conjunctions, nu + omega = 90 (phase 0) and 270
    // degrees, whose phases the mean anomalies give; between them the light follows the
    // exact sphere eclipses at the sky separation D |sin(nu - nu0)|, D = (1 - e^2) /
    // (1 + e cos nu).
    const double e = 0.3, R1 = 0.12, R2 = 0.08, u = 0.5;
    BinaryParameters p = Spheres(R1, R2, 90);
    p.t1 = p.t2 = 6000;
    p.w1 = p.w2 = u;
    p.ecc = e;
    p.omega = 40;
    const LightCurveModel model(p, {BandOf("V")});
    const double omega = p.omega * kPi / 180;
    const double m0 = MeanOfTrue(kPi / 2 - omega, e);
    double secondary = (MeanOfTrue(3 * kPi / 2 - omega, e) - m0) / (2 * kPi);
    secondary -= std::floor(secondary);
    EXPECT_NEAR(SecondaryConjunctionPhase(e, p.omega), secondary, 1e-12);
    auto light = [&](double phase) {
        const double at[] = {phase};
        return model.Fluxes(at)[0][0];
    };
    for (const double expected : {0.0, secondary}) {
        // Golden-section search for the faintest phase.
        const double g = (std::sqrt(5.0) - 1) / 2;
        double lo = expected - 0.003, hi = expected + 0.003;
        double x1 = hi - g * (hi - lo), x2 = lo + g * (hi - lo);
        double f1 = light(x1), f2 = light(x2);
        for (int k = 0; k < 50; ++k) {
            if (f1 < f2) {
                hi = x2, x2 = x1, f2 = f1, x1 = hi - g * (hi - lo), f1 = light(x1);
            } else {
                lo = x1, x1 = x2, f1 = f2, x2 = lo + g * (hi - lo), f2 = light(x2);
            }
        }
        EXPECT_NEAR(0.5 * (lo + hi), expected, 1e-6);
    }
    std::vector<double> phases;
    for (int i = 0; i <= 1000; ++i) phases.push_back(-0.05 + 1.1 * i / 1000);
    const auto f = model.Fluxes(phases)[0];
    const double top = *std::max_element(f.begin(), f.end());
    const double whole = testing::DiscLight(R1, u) + testing::DiscLight(R2, u);
    double worst = 0;
    for (std::size_t i = 0; i < phases.size(); ++i) {
        const double nu = TrueOfMean(m0 + 2 * kPi * phases[i], e);
        const double turn = nu - (kPi / 2 - omega);
        const double sky = (1 - e * e) / (1 + e * std::cos(nu)) * std::fabs(std::sin(turn));
        const double hidden = std::cos(turn) > 0 ? testing::HiddenLight(R1, u, R2, sky)
                                                 : testing::HiddenLight(R2, u, R1, sky);
        worst = std::max(worst, std::fabs(f[i] / top - (whole - hidden) / whole));
    }
    EXPECT_LT(worst, 5e-5);
}

TEST(AbsoluteDimensions, FollowKeplersThirdLawAndTheRocheLobe) {
    // The Sun and the Earth: a year and an astronomical unit make one solar mass.
    BinaryParameters p = Spheres(0.002, 0.0001, 90);
    p.q = 3.003e-6;
    p.t1 = 5772;
    OrbitScale year;
    year.period = 365.256363;
    year.a = 215.032;
    const AbsoluteDimensions sun = ComputeAbsoluteDimensions(p, year);
    EXPECT_NEAR(sun.star1.mass + sun.star2.mass, 1, 1e-4);
    // A sphere of 0.43 solar radii: the radii, log g = log(G M / R^2) and L = R^2 (T/Tsun)^4.
    EXPECT_NEAR(sun.star1.radius, 0.002 * 215.032, 1e-9);
    EXPECT_NEAR(sun.star1.radiusPoint, sun.star1.radiusPole, 1e-12);
    const double r = 0.002 * 215.032 * kSolarRadius;
    EXPECT_NEAR(sun.star1.logG, std::log10(sun.star1.mass * kSolarMassParameter / (r * r) * 100),
                1e-9);
    EXPECT_NEAR(sun.star1.luminosity, std::pow(0.002 * 215.032, 2), 1e-9);
    // The masses give the separation back.
    OrbitScale masses;
    masses.period = year.period;
    masses.m1 = sun.star1.mass;
    masses.m2 = sun.star2.mass;
    EXPECT_NEAR(ComputeAbsoluteDimensions(p, masses).orbit.a, 215.032, 1e-6);

    // A star filling its Roche lobe has the volume radius of Eggleton's formula (to 1 %).
    BinaryParameters lobe;
    lobe.q = 0.5;
    lobe.r1 = 0.2;
    lobe.r2 = 0.45;  // beyond its lobe: the lobe itself
    OrbitScale scale;
    scale.period = 1;
    scale.a = 4;
    const StarDimensions two = ComputeAbsoluteDimensions(lobe, scale).star2;
    const double q = lobe.q;  // star 2's mass over its companion's
    const double eggleton =
        0.49 * std::pow(q, 2.0 / 3) / (0.6 * std::pow(q, 2.0 / 3) + std::log(1 + std::cbrt(q)));
    EXPECT_NEAR(two.radius / (eggleton * 4), 1, 0.01);
    EXPECT_LT(two.radiusPole, two.radiusSide);
    EXPECT_LT(two.radiusSide, two.radiusBack);
    EXPECT_LT(two.radiusBack, two.radiusPoint);
}

TEST(Physics, RefusesWhatCannotBeWithItsReason) {
    const BandSetup v = BandOf("V");
    auto refused = [&](const BinaryParameters& p, const std::string& words,
                       std::vector<BandSetup> bands = {}) {
        if (bands.empty()) bands = {v};
        try {
            LightCurveModel model(p, bands);
        } catch (const std::invalid_argument& e) {
            return std::string(e.what()).find(words) != std::string::npos;
        }
        return false;
    };
    BinaryParameters contact;  // the default system is in contact
    contact.ecc = 0.1;
    EXPECT_TRUE(refused(contact, "contact"));
    BinaryParameters semi;
    semi.q = 0.5;
    semi.r1 = 0.3;
    semi.r2 = 0.45;  // star 2 fills its lobe
    semi.ecc = 0.05;
    EXPECT_TRUE(refused(semi, "semi-detached"));
    BinaryParameters close = Spheres(0.3, 0.3, 90);
    close.ecc = 0.5;
    EXPECT_TRUE(refused(close, "touch at periastron"));
    BinaryParameters bad = Spheres(0.2, 0.2, 90);
    bad.spots = {Spot{3, 0, 0, 10, 0.9}};
    EXPECT_TRUE(refused(bad, "spot 1: the star must be 1 or 2"));
    bad.spots = {Spot{1, 0, 0, 10, 0.9}, Spot{2, 0, 0, 0, 0.9}};
    EXPECT_TRUE(refused(bad, "spot 2: the radius"));
    bad.spots = {};
    bad.alb2 = 1.5;
    EXPECT_TRUE(refused(bad, "albedo"));
    bad.alb2 = 0;
    bad.gd1 = -1;
    EXPECT_TRUE(refused(bad, "gravity-darkening"));
    bad.gd1 = 0;
    bad.ecc = 1;
    EXPECT_TRUE(refused(bad, "eccentricity"));
    bad.ecc = 0;
    BandSetup all = v;
    all.l3 = 1;
    EXPECT_TRUE(refused(bad, "third light", {all}));

    // Velocities need a scale that agrees with q, and two stars.
    const LightCurveModel model(Spheres(0.2, 0.2, 90), {v});
    const double at[] = {0.25};
    OrbitScale none;
    EXPECT_THROW(model.RadialVelocities(at, none), std::invalid_argument);
    OrbitScale wrong;
    wrong.period = 1;
    wrong.m1 = 1;
    wrong.m2 = 1;  // q is 0.7
    try {
        model.RadialVelocities(at, wrong);
        ADD_FAILURE() << "masses against q accepted";
    } catch (const std::invalid_argument& e) {
        EXPECT_NE(std::string(e.what()).find("mass ratio"), std::string::npos) << e.what();
    }
    BinaryParameters lone;
    lone.twoStars = false;
    OrbitScale scale;
    scale.period = 1;
    scale.a = 3;
    EXPECT_THROW(LightCurveModel(lone, {v}).RadialVelocities(at, scale), std::invalid_argument);

    // A star wholly hidden has no light-weighted velocity: NaN, not a number made up.
    BinaryParameters total = Spheres(0.1, 0.3, 90);
    const double middle[] = {0};  // star 2 in front of the smaller star 1
    const auto rv = LightCurveModel(total, {v}).RadialVelocities(middle, scale);
    EXPECT_TRUE(std::isnan(rv.star1[0][0]));
    EXPECT_FALSE(std::isnan(rv.orbit1[0]) || std::isnan(rv.star2[0][0]));
}

}  // namespace
}  // namespace vp::flux
