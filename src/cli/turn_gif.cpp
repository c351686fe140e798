#include "cli/turn_gif.h"

#include <array>
#include <cmath>
#include <iostream>
#include <memory>

#include "cli/curve_panel.h"
#include "cli/gif_writer.h"
#include "cli/plot_png.h"
#include "core/constants.h"
#include "core/number_text.h"
#include "headless/frame_cap.h"
#include "headless/headless_port.h"
#include "headless/recording.h"
#include "photometry/pixel_sum.h"

namespace vp {
namespace {

// Long turns gather their palette and light curve from this many frames spread over the turn.
constexpr long kMostSampledFrames = 720;

// The window's turn: the rotation angle after each animation tick, from 0 until it wraps,
// moved on by a quarter turn so that the first frame lies at light-curve phase 0.
class TurnPhases {
  public:
    explicit TurnPhases(double stepDegrees) : increment_(stepDegrees * kPi / 180) {}

    // The number of frames of one turn; 0 when the step does not close a turn within the
    // frame cap (with a frame to spare for the rounding of the summed angle).
    long Count() const {
        if (!(increment_ > 0) || !std::isfinite(increment_)) return 0;
        double angle = 0;
        for (long frames = 1; frames <= kMostFramesPerRun + 1; ++frames) {
            angle += increment_;
            if (angle >= kTwoPi) return frames;
        }
        return 0;
    }

    // Starts again at the first frame.
    void Restart() { angle_ = 0; }
    // The rotation angle of the current frame; Next moves on to the following one.
    double Eta() const {
        const double eta = angle_ + DegToRad(90);
        return eta >= kTwoPi ? eta - kTwoPi : eta;
    }
    void Next() { angle_ += increment_; }

  private:
    double increment_;
    double angle_ = 0;
};

// The phase of a rotation angle as the light-curve file writes it, 0 <= phase < 1.
double CurvePhaseOf(double eta) {
    double phase = eta / 6.28318530717958 - 0.25;
    phase -= std::floor(phase);
    return phase >= 1 ? 0 : phase;
}

std::array<double, 3> ChannelSums(const Surface& picture) {
    // Photometry's channel numbers: 3 red, 2 green, 1 blue.
    return {static_cast<double>(ChannelSum(picture, 3)),
            static_cast<double>(ChannelSum(picture, 2)),
            static_cast<double>(ChannelSum(picture, 1))};
}

}  // namespace

void StretchBrightness(const std::uint32_t* from, std::uint32_t* to, std::size_t count) {
    static const std::array<int, 256> kStretched = [] {
        std::array<int, 256> table{};
        for (int m = 0; m < 256; ++m)
            table[m] =
                static_cast<int>(std::lround(255 * std::log1p(100.0 * m / 255) / std::log(101.0)));
        return table;
    }();
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint32_t rgb = from[i];
        const int r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
        const int m = std::max({r, g, b});
        if (m == 0) {
            to[i] = 0;
            continue;
        }
        const int s = kStretched[m];
        auto scaled = [&](int v) { return static_cast<std::uint32_t>((v * s + m / 2) / m); };
        to[i] = scaled(r) << 16 | scaled(g) << 8 | scaled(b);
    }
}

bool WriteTurnGif(const CommonOptions& options, const TurnGifSettings& settings, int& frames,
                  std::string& error) {
    ScratchFolder scratch;
    HeadlessPort port(scratch.path, options.verbose ? &std::cerr : nullptr);
    MainForm form(port);
    if (!ApplyOptions(form, options, error)) return false;
    form.chkPhotometry.checked = false;
    form.txtEta.text = "0";
    form.Refresh_Click();
    if (!StepWithinFrameCap(form, kFramesTurns, error)) return false;
    TurnPhases turn(Val(form.txtAnimSpeed.text));
    const long count = turn.Count();
    if (count == 0) {
        error = "an animation step of " + form.txtAnimSpeed.text + " never completes a turn";
        return false;
    }
    const int width = form.picture.Width(), height = form.picture.Height();
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::unique_ptr<GuiSession> gui;
    if (settings.withCurve) gui = std::make_unique<GuiSession>();
    const int panelHeight = settings.withCurve ? CurvePanel::HeightFor(width) : 0;
    std::vector<std::uint32_t> canvas(static_cast<std::size_t>(width) * (height + panelHeight));

    // The star picture of the current frame into the top of the canvas.
    auto drawFrame = [&](double eta) {
        form.model.Eta = eta;
        form.DrawStar();
        if (settings.stretch)
            StretchBrightness(form.picture.Words(), canvas.data(), pixels);
        else
            std::copy_n(form.picture.Words(), pixels, canvas.data());
    };

    // First pass: colours and light curve from every frame, or from an even sample.
    const long sampled = std::min(count, kMostSampledFrames);
    GifPaletteBuilder colours;
    std::vector<double> phases;
    std::array<std::vector<double>, 3> sums;
    turn.Restart();
    for (long k = 0, i = 0; k < count && i < sampled; ++k, turn.Next()) {
        if (k != static_cast<long>(static_cast<long long>(i) * count / sampled)) continue;
        ++i;
        drawFrame(turn.Eta());
        colours.Add(canvas.data(), pixels);
        if (!settings.withCurve) continue;
        phases.push_back(CurvePhaseOf(turn.Eta()));
        const auto frameSums = ChannelSums(form.picture);
        for (int c = 0; c < 3; ++c) sums[c].push_back(frameSums[c]);
    }
    double brightest = 0;
    for (const auto& s : sums)
        for (double v : s) brightest = std::max(brightest, v);
    auto relative = [&](double v) { return brightest > 0 ? v / brightest : 0.0; };
    std::unique_ptr<CurvePanel> panel;
    if (settings.withCurve) {
        std::array<std::vector<double>, 3> flux;
        for (int c = 0; c < 3; ++c)
            for (double v : sums[c]) flux[c].push_back(relative(v));
        panel = std::make_unique<CurvePanel>(width, panelHeight, phases, flux, SystemName(options));
    }

    // Second pass: every frame, encoded as soon as it is drawn.
    GifStream animation(width, height + panelHeight,
                        colours.Build(256, settings.withCurve ? CurvePanel::Colours()
                                                              : std::vector<std::uint32_t>{}),
                        settings.delayCentiseconds);
    if (!animation.Open(settings.path, error)) return false;
    turn.Restart();
    for (long k = 0; k < count; ++k, turn.Next()) {
        drawFrame(turn.Eta());
        if (panel) {
            const auto frameSums = ChannelSums(form.picture);
            panel->Draw(CurvePhaseOf(turn.Eta()),
                        {relative(frameSums[0]), relative(frameSums[1]), relative(frameSums[2])},
                        canvas.data() + pixels);
        }
        if (!animation.AddFrame(canvas.data(), error)) return false;
    }
    frames = static_cast<int>(animation.FrameCount());
    return animation.Finish(error);
}

}  // namespace vp
