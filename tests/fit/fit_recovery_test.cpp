// The fit recovers a known system from observations made with the engine plus Gaussian noise,
// started 10 to 20 % away: every free parameter within three of its reported uncertainties.
// The fits are run as the tool runs them, from several starts. (The study over twenty noise
// realisations is tools/fit_recovery_study.py.)
#include <gtest/gtest.h>

#include <cmath>

#include "fit/fit_report.h"
#include "fit/fitter.h"
#include "fit/synthetic_observations.h"

namespace vp::fit {
namespace {

// Under the sanitizers the engine runs several times slower: there only the fits at 0.1 %,
// which take the same paths through the code as those at 0.5 %.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

struct Recovery {
    FitOutcome outcome;
    flux::BinaryParameters truth;
};

// n fluxes at random times over 50 periods, with Gaussian noise of a share sigma of the light
// at quadrature.
Recovery Recover(const flux::BinaryParameters& truth, const FitValues& start, Configuration config,
                 double sigma, unsigned seed, int n) {
    flux::BandSetup band;
    std::string error;
    EXPECT_TRUE(flux::FindBand("V", band.band, error));
    flux::EngineOptions options;  // the default mesh: coarser ones move the light by jumps
    options.threads = 0;
    const flux::LightCurveModel model(truth, {band}, options);
    const double period = 0.8, epoch = 2460000.25;
    testing::SyntheticRequest request;
    request.count = n;
    request.sigma = sigma;
    request.seed = seed;
    request.times = true;
    request.cycles = 50;
    request.period = period;
    request.epoch = epoch;
    request.scale = 800;
    const Dataset set = testing::SyntheticFluxes(model, request);

    FitValues first = start;
    first.t0 = epoch;
    first.period = period;
    MapSettings settings;
    settings.configuration = config;
    settings.times = true;
    settings.cyclesSpanned = 50;
    EXPECT_TRUE(ParseParameterList("q,incl,r1,r2,t2", settings.free, error));
    ParameterMap map;
    std::vector<std::string> notes;
    EXPECT_TRUE(map.Make(first, settings, error, notes)) << error;
    FitProblem problem({set}, {band}, map, options);
    FitSettings fit;
    Recovery r;
    r.truth = truth;
    EXPECT_TRUE(RunFit(problem, fit, nullptr, r.outcome, error)) << error;
    return r;
}

void ExpectWithinThreeSigma(const Recovery& r, const char* label) {
    ASSERT_TRUE(FitConverged(r.outcome)) << label << ": " << r.outcome.optimiser.message;
    ASSERT_TRUE(r.outcome.covariance.determined) << label;
    EXPECT_NEAR(r.outcome.covariance.reducedChi2, 1, 0.15) << label;
    for (const Quantity& q : r.outcome.quantities) {
        if (q.file >= 0) continue;
        const double expected = q.name == "q"      ? r.truth.q
                                : q.name == "incl" ? r.truth.incl
                                : q.name == "r1"   ? r.truth.r1
                                : q.name == "r2"   ? r.truth.r2
                                                   : r.truth.t2;
        EXPECT_LT(std::fabs(q.value - expected), 3 * q.sigma)
            << label << ": " << q.name << " = " << q.value << " +- " << q.sigma << ", truth "
            << expected;
    }
}

TEST(FitRecovery, ADetachedSystemFromStartsFifteenPercentAway) {
    flux::BinaryParameters truth;
    truth.q = 0.6;
    truth.incl = 86;
    truth.r1 = 0.28;
    truth.r2 = 0.2;
    truth.t1 = 7500;
    truth.t2 = 5200;
    FitValues start;
    start.system = truth;
    start.system.q *= 1.15;
    start.system.incl *= 0.9;
    start.system.r1 *= 0.87;
    start.system.r2 *= 1.12;
    start.system.t2 *= 1.15;
    if (!kSanitized)
        ExpectWithinThreeSigma(Recover(truth, start, Configuration::Detached, 0.005, 3, 600),
                               "detached, 0.5 %");
    ExpectWithinThreeSigma(Recover(truth, start, Configuration::Detached, 0.001, 2, 600),
                           "detached, 0.1 %");
}

TEST(FitRecovery, AContactSystemFromStartsFifteenPercentAway) {
    flux::BinaryParameters truth;
    truth.q = 0.35;
    truth.incl = 82;
    truth.r1 = 0.46;
    truth.r2 = 0.29;
    truth.t1 = 6200;
    truth.t2 = 5900;
    FitValues start;
    start.system = truth;
    start.system.q *= 0.85;
    start.system.incl *= 0.9;
    start.system.r1 *= 1.03;  // inside the narrow band between the lobe and the outer surface
    start.system.r2 *= 0.97;
    start.system.t2 *= 0.88;
    if (!kSanitized)
        ExpectWithinThreeSigma(Recover(truth, start, Configuration::Contact, 0.005, 5, 600),
                               "contact, 0.5 %");
    ExpectWithinThreeSigma(Recover(truth, start, Configuration::Contact, 0.001, 4, 600),
                           "contact, 0.1 %");
}

}  // namespace
}  // namespace vp::fit
