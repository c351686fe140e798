// Gravity darkening, reflection, spots, third light and the band tables against their analytic
// limits.
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "flux/absolute_dimensions.h"
#include "flux/binary_system.h"
#include "flux/test_systems.h"
#include "flux/intensity_table.h"

namespace vp::flux {
namespace {

constexpr double kPi = std::numbers::pi;

using testing::BandOf;

BinaryParameters Spheres(double r1, double r2, double incl) {
    return testing::SphereSystem(r1, r2, incl, 1, 6000, 6000);
}

std::vector<double> Phases(int count) {
    std::vector<double> phases;
    for (int i = 0; i < count; ++i) phases.push_back((i + 0.37) / count);
    return phases;
}

TEST(GravityDarkening, SphereStaysUniformAndTheStarKeepsItsLuminosity) {
    // A sphere has one gravity everywhere: its light does not change.
    BinaryParameters p = Spheres(0.25, 0.2, 80);
    const auto phases = Phases(40);
    const auto plain = LightCurveModel(p, {BandOf("V")}).Fluxes(phases)[0];
    p.gd1 = 1;
    p.gd2 = 0.32;
    const auto darkened = LightCurveModel(p, {BandOf("V")}).Fluxes(phases)[0];
    for (std::size_t i = 0; i < phases.size(); ++i)
        EXPECT_NEAR(darkened[i] / plain[i], 1, 1e-7) << phases[i];

    // A tidally stretched star is darker at its gravity-poor ends: its ellipsoidal variation
    // grows, while t1 stays its mean temperature (luminosity sigma t1^4 times the area).
    BinaryParameters roche;
    roche.q = 0.5;
    roche.r1 = 0.4095;
    roche.r2 = 0.2949;
    roche.incl = 50;
    auto amplitude = [&](double beta) {
        roche.gd1 = roche.gd2 = beta;
        const double at[] = {0.5, 0.25};
        const auto f = LightCurveModel(roche, {BandOf("V")}).Fluxes(at)[0];
        return 1 - f[0] / f[1];
    };
    EXPECT_GT(amplitude(1), amplitude(0) * 1.1);
    roche.gd1 = 1;
    OrbitScale scale;
    scale.period = 1;
    scale.a = 5;
    const StarDimensions star = ComputeAbsoluteDimensions(roche, scale).star1;
    const double uniform = star.area / (4 * kPi) * std::pow(roche.t1 / kSolarTemperature, 4);
    EXPECT_NEAR(star.luminosity / uniform, 1, 1e-9);
}

TEST(Reflection, PointSourceOnLambertSphereGivesTheLambertPhaseFunction) {
    // A tiny, very hot star 2 is a point source of known flux F0 = sigma T2^4 r2^2 at star 1's
    // centre (its whole disc above every lit horizon, its light the same whatever its limb
    // darkening). Star 1, without limb darkening in the bolometric band, re-radiates albedo x
    // the flux it receives: a Lambert sphere, whose reflected light is
    //   (2/3) A R^2 F0 (sin a + (pi - a) cos a) / pi
    // at phase angle a, when the source is far compared with R. Star 1's own light and the
    // source's cancel in the difference with albedo 0. The separation cannot grow, but R can
    // shrink: the terms of a finite distance (the nearer face, the smaller lit cap) are of
    // first order in R, so the hump at R and R/2 extrapolated linearly to R = 0 must follow
    // the formula.
    const double albedo = 0.7, t2 = 1e5, r2 = 0.002, incl = 60;
    BandSetup bolometric = BandOf("bolometric");
    bolometric.ld1 = LimbDarkening{LimbDarkening::Law::Linear, 0, 0};
    std::vector<double> phases;
    for (int i = 0; i <= 10; ++i) phases.push_back(0.05 * i);  // phase angles 30 .. 150 degrees
    auto hump = [&](double R) {
        BinaryParameters p = Spheres(R, r2, incl);
        p.t1 = 1000;
        p.t2 = t2;
        const auto dark = LightCurveModel(p, {bolometric}).Fluxes(phases)[0];
        p.alb1 = albedo;
        const auto lit = LightCurveModel(p, {bolometric}).Fluxes(phases)[0];
        std::vector<double> out;
        for (std::size_t i = 0; i < phases.size(); ++i) out.push_back((lit[i] - dark[i]) / (R * R));
        return out;
    };
    const auto a = hump(0.01), b = hump(0.005);
    const double f0 = 5.670374419e-8 * std::pow(t2, 4) * r2 * r2;
    const double full = 2.0 / 3 * albedo * f0;  // at phase angle 0
    for (std::size_t i = 0; i < phases.size(); ++i) {
        const double angle = std::acos(std::cos(2 * kPi * phases[i]) * std::sin(incl * kPi / 180));
        const double lambert = full * (std::sin(angle) + (kPi - angle) * std::cos(angle)) / kPi;
        const double limit = 2 * b[i] - a[i];
        EXPECT_NEAR(limit / full, lambert / full, 5e-4) << "phase angle " << angle * 180 / kPi;
        // The finite distance is there, and of the order of R.
        EXPECT_NEAR(b[i] / full, lambert / full, 0.02);
    }
}

TEST(Spots, UneclipsedSpotDimsByItsProjectedCap) {
    // Spheres far enough apart never to eclipse (sky separation >= cos 40 > r1 + r2). A cap of
    // angular radius rho whose centre lies at angle theta from the line of sight, wholly in
    // view, with I = B (1 - u + u mu), changes the light by (B_spot - B) R^2 times
    //   (1 - u) pi sin^2 rho cos theta
    //   + u 2 pi ((1 - cos^3 rho) / 3 cos^2 theta
    //             + ((1 - cos rho) - (1 - cos^3 rho) / 3) / 2 sin^2 theta).
    const double T = 5800, u = 0.6;
    BinaryParameters p = Spheres(0.3, 0.2, 40);
    p.t1 = p.t2 = T;
    p.w1 = p.w2 = u;
    const BandSetup v = BandOf("V");
    const auto phases = Phases(48);
    for (const Spot spot : {Spot{1, 25, 40, 15, 0.8}, Spot{2, 10, 120, 8, 1.15}}) {
        // The reference carries a spot of factor 1 where no light changes: the same sums.
        Spot none = spot;
        none.temperatureFactor = 1;
        p.spots = {none};
        const auto plain = LightCurveModel(p, {v}).Fluxes(phases)[0];
        p.spots = {spot};
        const LightCurveModel spotted(p, {v});
        const auto f = spotted.Fluxes(phases)[0];
        const double R = spot.star == 1 ? p.r1 : p.r2;
        const double B = v.band.Intensity(T), Bs = v.band.Intensity(spot.temperatureFactor * T);
        const double rho = spot.radius * kPi / 180;
        const double c3 = (1 - std::pow(std::cos(rho), 3)) / 3;
        double largest = 0;
        std::vector<std::pair<double, double>> seen;  // expected and computed change
        for (std::size_t i = 0; i < phases.size(); ++i) {
            const double cosine = Dot(spotted.ViewDirection(phases[i]), SpotDirection(spot));
            const double theta = std::acos(cosine);
            // Wholly in view, or wholly hidden.
            if (theta + rho < kPi / 2) {
                const double first = kPi * std::sin(rho) * std::sin(rho) * cosine;
                const double second = 2 * kPi *
                                      (c3 * cosine * cosine +
                                       0.5 * ((1 - std::cos(rho)) - c3) * (1 - cosine * cosine));
                const double expected = (Bs - B) * R * R * ((1 - u) * first + u * second);
                seen.push_back({expected, f[i] - plain[i]});
                largest = std::max(largest, std::fabs(expected));
            } else if (theta - rho > kPi / 2) {
                seen.push_back({0.0, f[i] - plain[i]});
            }
        }
        ASSERT_GT(largest, 0);
        ASSERT_GT(seen.size(), 20u);
        for (const auto& [expected, computed] : seen)
            EXPECT_NEAR(computed / largest, expected / largest, 1e-4) << "star " << spot.star;
    }
}

TEST(Spots, SitWhereTheirLatitudeAndLongitudeSay) {
    // Star 1's longitude L faces the observer at phase -L / 360, star 2's at 0.5 - L / 360;
    // positive latitudes lie on the hemisphere turned to the observer below 90 degrees.
    BinaryParameters p = Spheres(0.2, 0.2, 90);
    const LightCurveModel edgeOn(p, {BandOf("V")});
    const Vec3 w1 = edgeOn.ViewDirection(0.75), s1 = SpotDirection(Spot{1, 0, 90, 10, 0.9});
    const Vec3 w2 = edgeOn.ViewDirection(0.25), s2 = SpotDirection(Spot{2, 0, 90, 10, 0.9});
    EXPECT_NEAR(Dot(w1, s1), 1, 1e-12);
    EXPECT_NEAR(Dot(w2, s2), 1, 1e-12);
    p.incl = 30;
    const LightCurveModel tilted(p, {BandOf("V")});
    EXPECT_NEAR(Dot(tilted.ViewDirection(0.3), SpotDirection(Spot{2, 90, 0, 10, 0.9})),
                std::cos(30 * kPi / 180), 1e-12);
}

TEST(ThirdLight, DilutesDepthsByExactlyOneMinusL3) {
    BinaryParameters p;
    p.q = 0.6;
    p.r1 = 0.3;
    p.r2 = 0.25;
    p.incl = 86;
    p.t2 = 5500;
    const double at[] = {0, 0.5, 0.25, 0.1};
    BandSetup v = BandOf("V"), tess = BandOf("TESS");
    const auto clean = LightCurveModel(p, {v, tess}).Fluxes(at);
    v.l3 = 0.3;
    tess.l3 = 0.05;
    const auto diluted = LightCurveModel(p, {v, tess}).Fluxes(at);
    const double l3[] = {0.3, 0.05};
    for (int b = 0; b < 2; ++b) {
        // The third light's share of the light at quadrature is l3.
        EXPECT_NEAR(1 - clean[b][2] / diluted[b][2], l3[b], 1e-14);
        for (int i : {0, 1, 3}) {
            const double depth = 1 - clean[b][i] / clean[b][2];
            EXPECT_NEAR(1 - diluted[b][i] / diluted[b][2], (1 - l3[b]) * depth, 1e-14);
        }
    }
}

TEST(Physics, EveryEffectAtOnceOnAContactSystemGivesFiniteLightAndVelocities) {
    // The neck, where gravity vanishes and the halves heat each other across the envelope.
    BinaryParameters p;  // the default contact system
    p.t2 = 6500;
    p.gd1 = p.gd2 = 0.32;
    p.alb1 = p.alb2 = 0.5;
    p.spots = {Spot{1, 20, 0, 25, 0.8}, Spot{2, -10, 180, 30, 1.2}};
    BandSetup v = BandOf("V"), g = BandOf("G");
    v.l3 = 0.1;
    g.ld1 = g.ld2 = LimbDarkening{LimbDarkening::Law::SquareRoot, 0.3, 0.3};
    const LightCurveModel model(p, {v, g});
    const auto phases = Phases(60);
    const auto f = model.Fluxes(phases);
    OrbitScale scale;
    scale.period = 0.35;
    scale.a = 2.5;
    const auto rv = model.RadialVelocities(phases, scale);
    for (int b = 0; b < 2; ++b) {
        for (std::size_t i = 0; i < phases.size(); ++i) {
            EXPECT_TRUE(std::isfinite(f[b][i]) && f[b][i] > 0) << phases[i];
            EXPECT_TRUE(std::isfinite(rv.star1[b][i]) && std::isfinite(rv.star2[b][i]))
                << phases[i];
        }
    }
}

TEST(IntensityTable, MatchesTheFilterIntegralToAMillionth) {
    for (const std::string& name : BandNames()) {
        const BandSetup setup = BandOf(name);
        if (setup.band.kind != Band::Kind::Filter) continue;
        const IntensityTable table(setup.band, 2000, 60000);
        for (double T = 2000; T <= 60000; T *= 1.0137) {
            const double exact = setup.band.Intensity(T);
            EXPECT_NEAR(table(T) / exact, 1, 1e-6) << name << " " << T;
        }
        // Outside its range the band itself answers.
        EXPECT_EQ(table(1e6), setup.band.Intensity(1e6));
    }
    const BandSetup bolometric = BandOf("bolometric");
    EXPECT_NEAR(bolometric.band.Intensity(5772) * kPi / 5.670374419e-8 / std::pow(5772, 4), 1,
                1e-15);
}

}  // namespace
}  // namespace vp::flux
