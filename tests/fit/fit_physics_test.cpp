// The physics of real binaries as free parameters: an eccentric orbit, a spot, the reflection
// effect, each recovered from noisy observations made with the engine, within three of the
// reported uncertainties. One start each, close to the truth, to keep the fits short.
#include <gtest/gtest.h>

#include <cmath>

#include "fit/fit_report.h"
#include "fit/fitter.h"
#include "flux/orbit.h"
#include "fit/synthetic_observations.h"

namespace vp::fit {
namespace {

// n fluxes at random phases with Gaussian noise of a share sigma of the light at quadrature,
// fitted from start with the parameters free.
FitOutcome Recover(const flux::BinaryParameters& truth, const FitValues& start,
                   Configuration config, const char* free, double sigma, int n) {
    flux::BandSetup band;
    std::string error;
    EXPECT_TRUE(flux::FindBand("V", band.band, error));
    flux::EngineOptions options;
    options.threads = 0;
    const flux::LightCurveModel model(truth, {band}, options);
    testing::SyntheticRequest request;
    request.count = n;
    request.sigma = sigma;
    request.seed = 5;
    const Dataset set = testing::SyntheticFluxes(model, request);

    MapSettings settings;
    settings.configuration = config;
    EXPECT_TRUE(ParseParameterList(free, settings.free, error)) << error;
    ParameterMap map;
    std::vector<std::string> notes;
    EXPECT_TRUE(map.Make(start, settings, error, notes)) << error;
    FitProblem problem({set}, {band}, map, options);
    FitSettings fit;
    fit.optimiser.starts = 1;
    FitOutcome outcome;
    EXPECT_TRUE(RunFit(problem, fit, nullptr, outcome, error)) << error;
    return outcome;
}

void ExpectWithinThreeSigma(const FitOutcome& o, const FitValues& truth) {
    ASSERT_TRUE(FitConverged(o)) << o.optimiser.message;
    ASSERT_TRUE(o.covariance.determined) << o.covariance.note;
    std::vector<Parameter> names;
    for (const Quantity& q : o.quantities) {
        if (q.file >= 0) continue;
        std::string error;
        ASSERT_TRUE(ParseParameterList(q.name, names, error)) << error;
        const double expected = truth.Get(names[0]);
        EXPECT_LT(std::fabs(q.value - expected), 3 * q.sigma)
            << q.name << " = " << q.value << " +- " << q.sigma << ", truth " << expected;
        EXPECT_FALSE(q.atBound) << q.name << " = " << q.value << " +- " << q.sigma;
    }
}

TEST(FitPhysics, AnEccentricOrbitIsRecoveredWithItsEclipsesWhereKeplerPutsThem) {
    FitValues truth;
    truth.system.q = 0.8;
    truth.system.incl = 88;
    truth.system.r1 = 0.12;
    truth.system.r2 = 0.1;
    truth.system.t1 = 7000;
    truth.system.t2 = 5500;
    truth.system.ecc = 0.15;
    truth.system.omega = 60;
    FitValues start = truth;
    start.system.ecc = 0.08;
    start.system.omega = 80;
    const FitOutcome o =
        Recover(truth.system, start, Configuration::Detached, "ecc,omega", 0.002, 300);
    ExpectWithinThreeSigma(o, truth);
    // The secondary eclipse, 0.07 of a turn from 0.5, comes out where it is.
    EXPECT_NEAR(flux::SecondaryConjunctionPhase(o.values.system.ecc, o.values.system.omega),
                flux::SecondaryConjunctionPhase(0.15, 60), 1e-3);
}

TEST(FitPhysics, ASpotsLongitudeAndTemperatureComeBackFromAnOConnellCurve) {
    // A W UMa contact pair whose maxima differ by a cool spot on the larger star.
    FitValues truth;
    truth.system.q = 0.4;
    truth.system.incl = 80;
    truth.system.r1 = 0.45;
    truth.system.r2 = 0.3;
    truth.system.t1 = 6000;
    truth.system.t2 = 5900;
    truth.system.spots = {{1, 30, 90, 20, 0.85}};
    FitValues start = truth;
    start.system.spots[0].longitude = 70;
    start.system.spots[0].temperatureFactor = 0.92;
    const FitOutcome o = Recover(truth.system, start, Configuration::Contact,
                                 "spot1.lon,spot1.tfactor", 0.002, 300);
    ExpectWithinThreeSigma(o, truth);
}

TEST(FitPhysics, AnAlbedoComesBackFromAReflectionHump) {
    // A hot star lighting a large cool companion: the hump at phase 0.5 is its reflection.
    FitValues truth;
    truth.system.q = 0.5;
    truth.system.incl = 75;
    truth.system.r1 = 0.25;
    truth.system.r2 = 0.25;
    truth.system.t1 = 20000;
    truth.system.t2 = 4000;
    truth.system.alb1 = 1;
    truth.system.alb2 = 0.6;
    truth.system.gd1 = 1;
    truth.system.gd2 = 0.32;
    FitValues start = truth;
    start.system.alb2 = 0.3;
    start.system.gd1 = 0.7;
    const FitOutcome o =
        Recover(truth.system, start, Configuration::Detached, "alb2,gd1", 0.002, 300);
    ExpectWithinThreeSigma(o, truth);
}

}  // namespace
}  // namespace vp::fit
