#include "module_system.h"

#include <charconv>
#include <cmath>
#include <memory>
#include <set>

#include "core/atomic_file.h"
#include "core/number_text.h"
#include "flux/passband.h"
#include "headless/form_star_texts.h"
#include "headless/headless_port.h"
#include "headless/picture_mode.h"
#include "headless/scratch_folder.h"

namespace vp::python {
namespace {

using Kind = ModuleError::Kind;

// A window object's platform whose application folder is made only when the window first
// asks for it (a recording, a star file loaded), and removed with the port.
class ScratchPort : public HeadlessPort {
  public:
    ScratchPort() : HeadlessPort("", nullptr) {}
    std::string AppFolder() override {
        if (!scratch_) scratch_ = std::make_unique<ScratchFolder>("vandrel-python");
        return scratch_->path;
    }

  private:
    std::unique_ptr<ScratchFolder> scratch_;
};

// A fresh window object with the settings applied, its star picture width x height.
void Apply(MainForm& form, CommonOptions options, int width, int height, bool fitZoom) {
    options.width = width;
    options.height = height;
    options.fitZoom = fitZoom;
    std::string error;
    // The load panel stays open when the star file could not be loaded.
    if (!ApplyOptions(form, options, error))
        throw ModuleError(form.frameSaveBMP.visible ? Kind::File : Kind::Value, error);
}

// A system keeps its third light of every band it was given, and a curve may compute only
// some of them: the shares of the bands left out do not concern it. A name that is no band
// stays, for the engine to refuse.
PreciseRequest WithoutOtherBands(PreciseRequest request) {
    std::set<std::string> computed;
    std::string error;
    for (const std::string& name : request.bands) {
        flux::Band band;
        if (flux::FindBand(name, band, error)) computed.insert(band.name);
    }
    std::erase_if(request.physics.l3, [&](const auto& share) {
        flux::Band band;
        return !share.first.empty() && flux::FindBand(share.first, band, error) &&
               !computed.count(band.name);
    });
    return request;
}

// The orbit's size as the tool asks for it.
void CheckScale(const flux::OrbitScale& scale) {
    if (!scale.a && !(scale.m1 && scale.m2))
        throw ModuleError(Kind::Value, "give the separation a or both masses m1 and m2");
    if (!(scale.period > 0))
        throw ModuleError(Kind::Value, "give the period (days), a number above 0");
}

}  // namespace

std::string RoundTripText(double value) {
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

ModuleSystem::ModuleSystem(SystemSettings settings) : settings_(std::move(settings)) {
    ScratchPort port;
    MainForm form(port);
    Apply(form, settings_.options, settings_.options.width, settings_.options.height, false);
    form.chkPhotometry.checked = false;  // the picture is not measured
    form.Refresh_Click();
    SystemFigures& f = figures_;
    f.parameters = EngineParameters(form);
    const ModelState& m = form.model;
    f.l1 = m.L1Point;
    f.omegaCrit = m.OmegaCrit;
    f.omega1 = m.Omega1;
    f.omega2 = m.Omega2;
    f.sizes = form.starSizes;
    f.lobe = form.rocheLobe;
    f.star1Fills = Star1Overfills(m);
    f.star2Fills = Star2Overfills(m);
    f.contact = form.chkNeck.checked;
    f.state = ContactState(form);
    f.starSizeList = form.StarSizeList.items;
    f.rocheList = form.RocheList.items;
    f.boxes = FormStarTexts(form);
    if (!settings_.options.star.empty() || !settings_.options.loadStar.empty())
        f.name = SystemName(settings_.options);
}

PreciseCurve ModuleSystem::LightCurve(const CurveRequest& request) const {
    if (request.period.has_value() != request.epoch.has_value())
        throw ModuleError(Kind::Value, "times, period and epoch go together");
    if (request.period && !(*request.period > 0 && std::isfinite(*request.period)))
        throw ModuleError(Kind::Value,
                          "period needs a number above 0, not " + RoundTripText(*request.period));
    if (request.epoch && !std::isfinite(*request.epoch))
        throw ModuleError(Kind::Value, "epoch needs a finite number");
    if (request.x.size() > kMostCurvePoints)
        throw ModuleError(Kind::Value, "a curve takes at most " + std::to_string(kMostCurvePoints) +
                                           " points, not " + std::to_string(request.x.size()));
    PreciseCurve curve;
    curve.x = request.x;
    curve.times = request.period.has_value();
    std::vector<double> phases;
    phases.reserve(curve.x.size());
    for (double x : curve.x) {
        if (!std::isfinite(x))
            throw ModuleError(Kind::Value, std::string(curve.times ? "times" : "phases") +
                                               " must be finite numbers, not " + RoundTripText(x));
        phases.push_back(curve.times ? (x - *request.epoch) / *request.period : x);
    }
    std::string error;
    const auto model = EngineModel(figures_.parameters, WithoutOtherBands(request.engine), error);
    if (!model) throw ModuleError(Kind::Value, error);
    for (const auto& setup : model->Bands()) {
        curve.bands.push_back(setup.band.name);
        curve.wavelength.push_back(setup.band.MeanWavelength());
    }
    curve.value = model->Fluxes(phases);
    curve.magnitudes = request.scale == CurveScale::Magnitudes;
    curve.absolute = request.scale == CurveScale::Absolute;
    if (!phases.empty() && !ScaleCurve(curve, error)) throw ModuleError(Kind::Value, error);
    return curve;
}

Velocities ModuleSystem::RadialVelocities(const VelocityRequest& request) const {
    CheckScale(request.scale);
    if (request.epoch && !std::isfinite(*request.epoch))
        throw ModuleError(Kind::Value, "epoch needs a finite number");
    if (request.x.size() > kMostCurvePoints)
        throw ModuleError(Kind::Value, "a curve takes at most " + std::to_string(kMostCurvePoints) +
                                           " points, not " + std::to_string(request.x.size()));
    std::vector<double> phases;
    phases.reserve(request.x.size());
    for (double x : request.x) {
        if (!std::isfinite(x))
            throw ModuleError(Kind::Value, std::string(request.epoch ? "times" : "phases") +
                                               " must be finite numbers, not " + RoundTripText(x));
        phases.push_back(request.epoch ? (x - *request.epoch) / request.scale.period : x);
    }
    std::string error;
    const auto model = EngineModel(figures_.parameters, WithoutOtherBands(request.engine), error);
    if (!model) throw ModuleError(Kind::Value, error);
    Velocities velocities;
    for (const auto& setup : model->Bands()) velocities.bands.push_back(setup.band.name);
    try {
        velocities.curves = model->RadialVelocities(phases, request.scale);
    } catch (const std::exception& e) {
        throw ModuleError(Kind::Value, e.what());
    }
    return velocities;
}

flux::AbsoluteDimensions ModuleSystem::AbsoluteDimensions(const flux::OrbitScale& scale) const {
    CheckScale(scale);
    try {
        return AbsoluteDimensionsOf(figures_.parameters, settings_.engine.physics, scale);
    } catch (const std::exception& e) {
        throw ModuleError(Kind::Value, e.what());
    }
}

void ModuleSystem::WithForm(const std::function<void(MainForm&)>& use) const {
    ScratchPort port;
    MainForm form(port);
    Apply(form, settings_.options, settings_.options.width, settings_.options.height, false);
    use(form);
}

Surface ModuleSystem::Picture(std::optional<double> phase, int width, int height,
                              const std::string& mode, bool granulation, bool fitZoom) const {
    if (!IsDrawMode(mode))
        throw ModuleError(Kind::Value, "mode is paint, dots or grid, not '" + mode + "'");
    if (phase && !std::isfinite(*phase))
        throw ModuleError(Kind::Value, "phase needs a finite number");
    ScratchPort port;
    MainForm form(port);
    Apply(form, settings_.options, width, height, fitZoom);
    // Phase 0 is the primary eclipse, a rotation angle of 90 degrees.
    if (phase) form.txtEta.text = RoundTripText((*phase + 0.25) * 360);
    SetDrawMode(form, mode, granulation);
    form.Refresh_Click();
    return form.picture;
}

CurveTable ModuleSystem::Recording(int width, int height, bool magnitudes, bool fitZoom,
                                   std::vector<std::string>& warnings) const {
    ScratchPort port;
    MainForm form(port);
    CommonOptions options = settings_.options;
    options.width = width;
    options.height = height;
    options.fitZoom = fitZoom;
    CurveRecording recording;
    std::string error;
    if (!RecordCurve(form, options, magnitudes ? 1 : 0, recording, error))
        throw ModuleError(form.frameSaveBMP.visible ? Kind::File : Kind::Value, error);
    const std::string clipping = ClippingWarning(recording);
    if (!clipping.empty()) warnings.push_back(clipping);
    if (!recording.complete)
        throw ModuleError(Kind::Value,
                          "the recording did not complete within five turns (a frame without "
                          "light, or an animation step of 0 or below)");
    if (Val(form.txtAnimSpeed.text) == 0)
        warnings.push_back(
            "the animation step is 0, so every frame lies at phase 0 and the recording holds that "
            "one phase only");
    CurveTable table;
    if (!ParseCurveFile(recording.csv, recording.magnitudes, table))
        throw ModuleError(Kind::Value, "the recorded light curve cannot be read back");
    return table;
}

void ModuleSystem::SaveStarFile(const std::string& path) const {
    WriteWholeFile(path, StarFileText(figures_.boxes));
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    std::string error;
    if (!WriteFileAtomically(path, bytes, &error))
        throw ModuleError(Kind::File, "cannot write " + path + ": " + error);
}

}  // namespace vp::python
