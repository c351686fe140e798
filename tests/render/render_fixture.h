// A binary set up as a recompute leaves it, and ways to look at the drawn picture.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>

#include "core/constants.h"
#include "model/roche.h"
#include "render/renderer.h"

namespace vp::render_test {

class TestPort : public ModelPort {
  public:
    int slow = 0, unstable = 0;
    void ShowSlowIteration() override { ++slow; }
    void MarkStar1Unstable() override { ++unstable; }
};

// The window's defaults unless changed.
struct SceneParams {
    double q = 2.4, iotaDeg = 82, r1 = 0.305, r2 = 0.45, t1 = 8200, t2 = 8200;
    double limb1 = 0.5, limb2 = 0.5, lines = 7, etaDeg = 0, gammaDeg = 0, zoom = 100;
    double rotDays = 1;
    int width = 832, height = 365;
};

struct Scene {
    ModelState model;
    TestPort port;
    Surface picture;
    RenderSwitches switches;
    std::unique_ptr<Renderer> renderer = std::make_unique<Renderer>();
    bool contact = false;

    explicit Scene(const SceneParams& p) : picture(p.width, p.height) {
        ModelState& m = model;
        const float w = picture.ScaleWidth(), h = picture.ScaleHeight();
        m.ViewScale = p.zoom * (h < w ? h : w) / 300;
        if (p.rotDays > 0) m.RotPeriod = p.rotDays * 24 * 3600;
        m.Eta = DegToRad(p.etaDeg), m.Iota = DegToRad(p.iotaDeg), m.Gamma = DegToRad(p.gammaDeg);
        m.OrbitMassRatio = m.MassRatio = p.q;
        m.PoleRadius1 = p.r1, m.PoleRadius2 = p.r2, m.Limb1 = p.limb1, m.Limb2 = p.limb2;
        m.Temp1 = p.t1, m.Temp2 = p.t2;
        m.LatLines1 = m.LatLines2 = p.lines;
        m.NeckLines = 4 * p.lines;
        RochePot(m);
        m.Omega1 = 1 / p.r1 + p.q / std::sqrt(p.r1 * p.r1 + 1);
        m.Omega2 = 1 / std::sqrt(1 + p.r2 * p.r2) + p.q / p.r2 - p.q + (1 + p.q) / 2;
        switches.neck = contact = m.Omega1 < m.OmegaCrit && m.Omega2 < m.OmegaCrit;
        ResetMemo();
    }
    void ResetMemo() { RecreateMemoTables(model); }
    void Draw() { renderer->DrawStar(model, port, switches, picture); }
    void Bind() { renderer->Bind(model, port, switches, picture); }
};

struct Stats {
    int count = 0;
    double x = 0, y = 0;  // centroid
};

inline Stats PixelsWhere(const Surface& s, const std::function<bool(Colour)>& pred) {
    Stats st;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            if (pred(s.PixelAt(x, y))) {
                ++st.count;
                st.x += x;
                st.y += y;
            }
    if (st.count > 0) st.x /= st.count, st.y /= st.count;
    return st;
}

inline int CountLit(const Surface& s) {
    return PixelsWhere(s, [](Colour c) { return c != kBlack; }).count;
}

// FNV-1a over the picture's size and pixels.
inline std::uint64_t PictureHash(const Surface& s) {
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&h](std::uint32_t v) {
        for (int b = 0; b < 32; b += 8) h = (h ^ ((v >> b) & 0xFF)) * 1099511628211ull;
    };
    mix(s.Width());
    mix(s.Height());
    for (std::size_t k = 0; k < std::size_t(s.Width()) * s.Height(); ++k) mix(s.Words()[k]);
    return h;
}

// The colour of a cell of temperature T at full intensity.
inline Colour FullColour(const Renderer& r, double T, double f = 1) {
    double R = 0, G = 0, B = 0;
    r.StarColor(T, R, G, B);
    return RGB(int(std::floor(R * f)), int(std::floor(G * f)), int(std::floor(B * f)));
}

}  // namespace vp::render_test
