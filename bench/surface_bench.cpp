#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "surface/surface.h"

namespace {

void BM_SurfaceClear(benchmark::State& state) {
    vp::Surface surface(832, 365);
    for (auto _ : state) {
        surface.Clear();
        benchmark::DoNotOptimize(surface.MutableWords());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_SurfaceClear);

// One frame of the star picture: 3000 surface elements of about 6 x 6 pixels.
void BM_SurfaceSmallPolygons(benchmark::State& state) {
    constexpr int kPolygons = 3000;
    std::mt19937 rng(1);
    std::uniform_int_distribution<int> cx(3, 827), cy(3, 360), jitter(0, 1);
    const int ring[5][2] = {{0, -3}, {3, -1}, {2, 3}, {-2, 3}, {-3, -1}};
    std::vector<vp::PicturePoint> points;
    for (int i = 0; i < kPolygons; ++i) {
        const int x = cx(rng), y = cy(rng);
        for (const auto& p : ring)
            points.push_back({x + p[0] + jitter(rng), y + p[1] + jitter(rng)});
    }
    vp::Surface surface(832, 365);
    surface.SetFillColour(vp::RGB(230, 200, 120));
    surface.SetOutlineColour(vp::RGB(120, 100, 60));
    for (auto _ : state) {
        for (int i = 0; i < kPolygons; ++i) surface.FillPolygon(&points[5 * i], 5);
        benchmark::DoNotOptimize(surface.MutableWords());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kPolygons);
}
BENCHMARK(BM_SurfaceSmallPolygons)->Unit(benchmark::kMicrosecond);

}  // namespace
