// A binary set up the way a recompute leaves it, and ways to look at the drawn picture.
#pragma once

#include <cmath>
#include <cstdint>
#include <functional>
#include <memory>

#include "core/colour.h"
#include "core/constants.h"
#include "model/model_port.h"
#include "model/model_state.h"
#include "model/roche.h"
#include "render/renderer.h"
#include "surface/surface.h"

namespace vp::render_test {

class TestPort : public ModelPort {
  public:
    double q = 1;
    int slowIterations = 0;
    int unstableMarks = 0;
    double QratioBoxValue() override { return q; }
    void ShowSlowIteration() override { ++slowIterations; }
    void MarkStar1Unstable() override { ++unstableMarks; }
};

// The window's defaults unless changed.
struct SceneParams {
    double q = 2.4;
    double iotaDeg = 82;
    double r1 = 0.305, r2 = 0.45;
    double t1 = 8200, t2 = 8200;
    double limb1 = 0.5, limb2 = 0.5;
    double lines = 7;
    double etaDeg = 0;
    double gammaDeg = 0;
    double zoom = 100;
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
        m.ViewScale = p.zoom * w / 300;
        if (h < w) m.ViewScale = p.zoom * h / 300;
        if (p.rotDays > 0) m.RotPeriod = p.rotDays * 24 * 3600;
        m.Eta = DegToRad(p.etaDeg);
        m.OrbitMassRatio = p.q;
        m.Iota = DegToRad(p.iotaDeg);
        m.MassRatio = p.q;
        port.q = p.q;
        m.PoleRadius1 = p.r1;
        m.PoleRadius2 = p.r2;
        m.Limb1 = p.limb1;
        m.Limb2 = p.limb2;
        m.LatLines1 = m.LatLines2 = p.lines;
        m.NeckLines = 4 * p.lines;
        m.Temp1 = p.t1;
        m.Temp2 = p.t2;
        m.Gamma = DegToRad(p.gammaDeg);
        RochePot(m);
        const double q = p.q;
        m.Omega1 = 1 / p.r1 + q / std::sqrt(p.r1 * p.r1 + 1);
        const double d = std::sqrt(1 + p.r2 * p.r2);
        m.Omega2 = 1 / d + q / p.r2 - q + (1 + q) / 2;
        contact = m.Omega1 < m.OmegaCrit && m.Omega2 < m.OmegaCrit;
        switches.neck = contact;
        ResetMemo();
    }

    void ResetMemo() {
        const double n = model.LatLines1;
        model.ShapeMemo.Recreate(n, 12 * n, 5, 2);
        model.NeckMemo.Recreate(4 * n, 4 * n, 5);
    }

    void Draw() { renderer->DrawStar(model, port, switches, picture); }
    void Bind() { renderer->Bind(model, port, switches, picture); }
};

inline int CountPixels(const Surface& s, const std::function<bool(Colour)>& pred) {
    int n = 0;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            if (pred(s.PixelAt(x, y))) ++n;
    return n;
}

inline int CountLit(const Surface& s) {
    return CountPixels(s, [](Colour c) { return c != kBlack; });
}

struct Centroid {
    double x = 0, y = 0;
    int count = 0;
};

inline Centroid CentroidOf(const Surface& s, const std::function<bool(Colour)>& pred) {
    Centroid c;
    for (int y = 0; y < s.Height(); ++y)
        for (int x = 0; x < s.Width(); ++x)
            if (pred(s.PixelAt(x, y))) {
                c.x += x;
                c.y += y;
                ++c.count;
            }
    if (c.count > 0) {
        c.x /= c.count;
        c.y /= c.count;
    }
    return c;
}

// FNV-1a over the picture's pixels and its size.
inline std::uint64_t PictureHash(const Surface& s) {
    std::uint64_t h = 1469598103934665603ull;
    auto mix = [&h](std::uint64_t v) {
        for (int b = 0; b < 4; ++b) {
            h ^= (v >> (8 * b)) & 0xFF;
            h *= 1099511628211ull;
        }
    };
    mix(static_cast<std::uint64_t>(s.Width()));
    mix(static_cast<std::uint64_t>(s.Height()));
    const std::uint32_t* w = s.Words();
    for (std::size_t k = 0; k < static_cast<std::size_t>(s.Width()) * s.Height(); ++k) mix(w[k]);
    return h;
}

// The colour a cell of temperature T gets at full intensity.
inline Colour FullColour(Renderer& r, double T) {
    double R = 0, G = 0, B = 0;
    r.StarColor(T, R, G, B);
    return RGB(static_cast<int>(std::floor(R)), static_cast<int>(std::floor(G)),
               static_cast<int>(std::floor(B)));
}

}  // namespace vp::render_test
