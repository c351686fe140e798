// The flux engine: a 721-phase light curve, from the system's parameters to the fluxes.
#include <benchmark/benchmark.h>

#include "flux/binary_system.h"

namespace vp::flux {
namespace {

std::vector<double> Phases721() {
    std::vector<double> p;
    for (int i = 0; i <= 720; ++i) p.push_back(-0.25 + i / 720.0);
    return p;
}

std::vector<BandSetup> Bands(std::initializer_list<const char*> names, double l3 = 0) {
    std::vector<BandSetup> bands;
    for (const char* name : names) {
        BandSetup setup;
        std::string error;
        FindBand(name, setup.band, error);
        setup.l3 = l3;
        bands.push_back(setup);
    }
    return bands;
}

// The accuracy reference: spheres 0.2 and 0.3, edge-on, total and annular eclipses.
BinaryParameters Spheres() {
    BinaryParameters p;
    p.tidal = false;
    p.q = 1;
    p.r1 = 0.2;
    p.r2 = 0.3;
    p.incl = 90;
    p.t1 = p.t2 = 6000;
    return p;
}

// Roche stars within 1 % of filling their lobes (q = 0.5, i = 82).
BinaryParameters NearFilling() {
    BinaryParameters p;
    p.q = 0.5;
    p.r1 = 0.4095;
    p.r2 = 0.2949;
    p.incl = 82;
    p.t1 = 8000;
    p.t2 = 6000;
    return p;
}

// Every effect of real binaries at once: gravity darkening, reflection, a spot on each star,
// an eccentric orbit (when `eccentric`), third light.
BinaryParameters AllEffects(BinaryParameters p, bool eccentric) {
    p.gd1 = 1;
    p.gd2 = 0.32;
    p.alb1 = 1;
    p.alb2 = 0.5;
    p.spots = {Spot{1, 20, 60, 15, 0.8}, Spot{2, -10, 200, 20, 1.1}};
    if (eccentric) {
        p.ecc = 0.05;
        p.omega = 60;
    }
    return p;
}

void RunCurve(benchmark::State& state, const BinaryParameters& p,
              std::initializer_list<const char*> bands, EngineOptions options, double l3 = 0) {
    const auto phases = Phases721();
    const auto setup = Bands(bands, l3);
    for (auto _ : state) {
        LightCurveModel model(p, setup, options);
        benchmark::DoNotOptimize(model.Fluxes(phases));
    }
}

void BM_PreciseCurve721(benchmark::State& state) {
    RunCurve(state, Spheres(), {"V"}, {});
}
BENCHMARK(BM_PreciseCurve721)->Unit(benchmark::kMillisecond);

// The same curve with every effect on (spheres: the gravity darkening is computed and finds
// none).
void BM_PreciseCurve721AllEffects(benchmark::State& state) {
    RunCurve(state, AllEffects(Spheres(), true), {"V"}, {}, 0.1);
}
BENCHMARK(BM_PreciseCurve721AllEffects)->Unit(benchmark::kMillisecond);

void BM_PreciseCurve721ThreeBands(benchmark::State& state) {
    RunCurve(state, Spheres(), {"B", "V", "TESS"}, {});
}
BENCHMARK(BM_PreciseCurve721ThreeBands)->Unit(benchmark::kMillisecond);

void BM_PreciseCurve721Roche(benchmark::State& state) {
    RunCurve(state, NearFilling(), {"V"}, {});
}
BENCHMARK(BM_PreciseCurve721Roche)->Unit(benchmark::kMillisecond);

void BM_PreciseCurve721RocheThreeBands(benchmark::State& state) {
    RunCurve(state, NearFilling(), {"B", "V", "TESS"}, {});
}
BENCHMARK(BM_PreciseCurve721RocheThreeBands)->Unit(benchmark::kMillisecond);

void BM_PreciseCurve721RocheAllEffects(benchmark::State& state) {
    RunCurve(state, AllEffects(NearFilling(), false), {"V"}, {}, 0.1);
}
BENCHMARK(BM_PreciseCurve721RocheAllEffects)->Unit(benchmark::kMillisecond);

// Radial velocities of both stars at 721 phases, every effect on.
void BM_RadialVelocities721AllEffects(benchmark::State& state) {
    const auto phases = Phases721();
    const auto setup = Bands({"V"});
    OrbitScale scale;
    scale.period = 1;
    scale.a = 5;
    for (auto _ : state) {
        LightCurveModel model(AllEffects(Spheres(), true), setup);
        benchmark::DoNotOptimize(model.RadialVelocities(phases, scale));
    }
}
BENCHMARK(BM_RadialVelocities721AllEffects)->Unit(benchmark::kMillisecond);

void BM_PreciseCurve721Contact(benchmark::State& state) {
    RunCurve(state, BinaryParameters{}, {"V"}, {});
}
BENCHMARK(BM_PreciseCurve721Contact)->Unit(benchmark::kMillisecond);

// Both cores at once.
void BM_PreciseCurve721RocheTwoThreads(benchmark::State& state) {
    EngineOptions options;
    options.threads = 2;
    RunCurve(state, NearFilling(), {"V"}, options);
}
BENCHMARK(BM_PreciseCurve721RocheTwoThreads)->Unit(benchmark::kMillisecond)->UseRealTime();

// How the time grows with the mesh: rings from the front to the back of each star.
void BM_PreciseCurveRings(benchmark::State& state) {
    EngineOptions options;
    options.rings = static_cast<int>(state.range(0));
    RunCurve(state, NearFilling(), {"V"}, options);
}
BENCHMARK(BM_PreciseCurveRings)
    ->Arg(12)
    ->Arg(16)
    ->Arg(20)
    ->Arg(24)
    ->Arg(32)
    ->Arg(48)
    ->Arg(64)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace vp::flux
