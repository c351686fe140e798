// A binary system as the Python module holds it: the options it was made with (the tool's
// options, so that it means what the tool means) and the figures of one recompute of the
// window object with them. Nothing in it changes after it is made, so every method may run on
// several threads at once; the pictures and the recording use window objects of their own.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "flux/absolute_dimensions.h"
#include "flux/binary_system.h"
#include "headless/options.h"
#include "headless/precise_curve.h"
#include "headless/precise_model.h"
#include "headless/recording.h"
#include "photometry/star_file.h"
#include "surface/surface.h"

namespace vp::python {

// A failure with the tool's message; the kind chooses the Python exception.
class ModuleError : public std::runtime_error {
  public:
    enum class Kind { Value, File };
    ModuleError(Kind kind, const std::string& message) : std::runtime_error(message), kind(kind) {}
    Kind kind;
};

struct SystemSettings {
    CommonOptions options;  // boxes, switches, atlas system, star file
    PreciseRequest engine;  // limb-darkening laws and coefficients per band
};

enum class CurveScale { Relative, Absolute, Magnitudes };

struct CurveRequest {
    PreciseRequest engine;  // bands, limb darkening, rings, threads
    std::vector<double> x;  // phases, or times when period and epoch are given
    std::optional<double> period, epoch;
    CurveScale scale = CurveScale::Relative;
};

// Radial velocities: phases, or times with an epoch (phase = (time - epoch) / period), and
// the orbit's size.
struct VelocityRequest {
    PreciseRequest engine;  // bands, rings, threads
    std::vector<double> x;
    std::optional<double> epoch;
    flux::OrbitScale scale;  // period in days, a or m1 and m2, gamma
};

struct Velocities {
    std::vector<std::string> bands;
    flux::RadialVelocityCurves curves;
};

// The model's values after the recompute, as the window shows them.
struct SystemFigures {
    flux::BinaryParameters parameters;  // the boxes after the window's corrections
    double l1 = 0, omegaCrit = 0, omega1 = 0, omega2 = 0;
    StarSizes sizes;
    RocheLobe lobe;
    bool star1Fills = false, star2Fills = false, contact = false;
    std::string state;  // "contact", "detached", ...
    std::vector<std::string> starSizeList, rocheList;
    StarTexts boxes;   // q, i, r1, r2, T1, T2, w1, w2 as the boxes hold them
    std::string name;  // the atlas entry or the star file's name; empty otherwise
};

class ModuleSystem {
  public:
    // Throws ModuleError: an unknown atlas name (Value), a star file that cannot be loaded
    // (File).
    explicit ModuleSystem(SystemSettings settings);

    const SystemSettings& Settings() const { return settings_; }
    const SystemFigures& Figures() const { return figures_; }

    // The flux engine's curve: [band][point], scaled as asked; x as given.
    PreciseCurve LightCurve(const CurveRequest& request) const;

    // Each star's velocity, km/s: its centre of mass and, per band, weighted by its visible light
    // (NaN where it shows none), as vandrel-cli rv computes them.
    Velocities RadialVelocities(const VelocityRequest& request) const;

    // The stars in solar units, as vandrel-cli info --absolute reports them (scale.gamma is not
    // used).
    flux::AbsoluteDimensions AbsoluteDimensions(const flux::OrbitScale& scale) const;

    // Calls use with a window object of its own, the system's options applied to it (not yet
    // recomputed).
    void WithForm(const std::function<void(MainForm&)>& use) const;

    // The window's star picture at a phase (the system's own when none is given).
    Surface Picture(std::optional<double> phase, int width, int height, const std::string& mode,
                    bool granulation, bool fitZoom) const;

    // The window's three-colour recording, run to its end; warnings gets the clipping warning.
    CurveTable Recording(int width, int height, bool magnitudes, bool fitZoom,
                         std::vector<std::string>& warnings) const;

    // Writes the star parameter file; throws ModuleError (File) with the cause.
    void SaveStarFile(const std::string& path) const;

  private:
    SystemSettings settings_;
    SystemFigures figures_;
};

// The shortest text that a reader of numbers turns back into the same double.
std::string RoundTripText(double value);

// The most points one curve takes, as the tool's files of phases or times.
inline constexpr std::size_t kMostCurvePoints = 10000000;

// The file's bytes replace the file at path as a whole, or it is left as it was; throws
// ModuleError (File) "cannot write PATH: cause".
void WriteWholeFile(const std::string& path, const std::string& bytes);

}  // namespace vp::python
