// Frame time of the star picture: DrawStar alone, with the shape memo tables already filled,
// as in every animation frame after the first.
#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

#include "core/constants.h"
#include "model/model_port.h"
#include "model/model_state.h"
#include "model/roche.h"
#include "render/renderer.h"
#include "surface/surface.h"

namespace {

using namespace vp;

class BenchPort : public ModelPort {
  public:
    void ShowSlowIteration() override {}
    void MarkStar1Unstable() override {}
};

struct System {
    double q, iotaDeg, r1, r2, t1, t2, lines;
};

// The model state a recompute leaves for this system on the window's 832 x 365 picture.
struct Frame {
    ModelState model;
    BenchPort port;
    Surface picture{832, 365};
    RenderSwitches switches;
    std::unique_ptr<Renderer> renderer = std::make_unique<Renderer>();

    explicit Frame(const System& s) {
        ModelState& m = model;
        const double zoom = 100;
        const float w = picture.ScaleWidth(), h = picture.ScaleHeight();
        m.ViewScale = zoom * w / 300;
        if (h < w) m.ViewScale = zoom * h / 300;
        m.RotPeriod = 86400;
        m.Eta = 0;
        m.OrbitMassRatio = m.MassRatio = s.q;
        m.Iota = DegToRad(s.iotaDeg);
        m.PoleRadius1 = s.r1;
        m.PoleRadius2 = s.r2;
        m.Limb1 = m.Limb2 = 0.5;
        m.LatLines1 = m.LatLines2 = s.lines;
        m.NeckLines = 4 * s.lines;
        m.Temp1 = s.t1;
        m.Temp2 = s.t2;
        RochePot(m);
        m.Omega1 = 1 / s.r1 + s.q / std::sqrt(s.r1 * s.r1 + 1);
        const double d = std::sqrt(1 + s.r2 * s.r2);
        m.Omega2 = 1 / d + s.q / s.r2 - s.q + (1 + s.q) / 2;
        switches.neck = m.Omega1 < m.OmegaCrit && m.Omega2 < m.OmegaCrit;
        RecreateMemoTables(m);
        Draw();  // fills the memo tables
    }

    void Draw() { renderer->DrawStar(model, port, switches, picture); }
};

void RunFrames(benchmark::State& state, const System& system) {
    Frame frame(system);
    if (!frame.switches.neck) state.SkipWithError("the system is expected to be in contact");
    for (auto _ : state) {
        frame.Draw();
        benchmark::DoNotOptimize(frame.picture.Words());
        benchmark::ClobberMemory();
    }
}

void BM_FrameDefault(benchmark::State& state) {
    RunFrames(state, {2.4, 82, 0.305, 0.45, 8200, 8200, 7});
}

void BM_FrameAtlas15(benchmark::State& state) {
    RunFrames(state, {0.072, 79.1, 0.567, 0.189, 7175, 6910, 15});
}

void BM_FrameLines100(benchmark::State& state) {
    RunFrames(state, {2.4, 82, 0.305, 0.45, 8200, 8200, 100});
}

}  // namespace

BENCHMARK(BM_FrameDefault)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameAtlas15)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FrameLines100)->Unit(benchmark::kMillisecond);
