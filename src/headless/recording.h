// The light-curve recording of the lightcurve command, shared by the batch and compare so
// that every command writes the same bytes for the same system and options.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "headless/options.h"

namespace vp {

struct CurveRecording {
    std::string csv;         // the light-curve file as the window wrote it; empty if none
    bool complete = false;   // the three colours were recorded and the file finished
    bool magnitudes = true;  // the window's magnitude switch during the recording
    // Phases drawn (distinct values of the phase) and those at which the stars were cut by
    // the picture's edge, so that their light is missing from the curve.
    std::size_t phases = 0;
    std::size_t cutPhases = 0;
};

// Applies the options to a fresh window object (its port's application folder must be
// private to it), sets the scale (magnitudes: 1 magnitude, 0 flux, -1 the window's default)
// and runs the recording to its end. False with a message when the options cannot be applied
// or the animation step would draw more frames than a run may (kMostFramesPerRun).
// Window objects share no state, so recordings may run on several threads at once.
bool RecordCurve(MainForm& form, const CommonOptions& options, int magnitudes, CurveRecording& out,
                 std::string& error);

// The first turn of a light-curve file: phases reduced to 0 <= phase < 1 in ascending order
// with the red, green and blue values of each row.
struct CurveTable {
    std::vector<double> phase;
    std::array<std::vector<double>, 3> value;  // red, green, blue
    bool magnitudes = true;
    std::size_t size() const { return phase.size(); }
};

// Reads the window's light-curve file (header and two passes); false for bytes that are not one.
bool ParseCurveFile(const std::string& csv, bool magnitudes, CurveTable& table);

// The relative flux of a value of the table's scale.
double FluxOf(const CurveTable& table, double value);

// The two eclipse minima of a recorded curve, found on the summed light of the three colours.
// The deeper sets the primary; the secondary is the lowest local minimum at least a quarter
// of a turn away from it. Depths are 1 - flux / brightest flux of that colour. The phase of
// a minimum is its centre, the mid-point of the bisector of its lower half, interpolated
// between samples.
struct CurveMinima {
    bool found = false;  // the curve varies at all
    double primaryPhase = 0;
    bool hasSecondary = false;
    double secondaryPhase = 0;
    std::array<double, 3> deeper{};     // red, green, blue
    std::array<double, 3> shallower{};  // only when hasSecondary
};

CurveMinima FindMinima(const CurveTable& table);

// The window's verdict on the system after a recompute: "contact" (the neck is drawn),
// "star 1 fills its lobe", "star 2 fills its lobe", "both fill their lobes", "detached" or
// "single star".
std::string ContactState(const MainForm& form);

// The warning for a recording whose stars were cut by the picture's edge; empty when none were.
std::string ClippingWarning(const CurveRecording& recording);

// The name of the system the options choose: the atlas list entry or the star file's name.
std::string SystemName(const CommonOptions& options);

// A title for plots of the window's current system: the name and the parameter boxes.
std::string SystemTitle(const MainForm& form, const std::string& name);
std::string SystemSubtitle(const MainForm& form, bool magnitudes);

}  // namespace vp
