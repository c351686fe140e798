// Observed light curves as users keep them: two columns or more, separated by commas,
// semicolons or blanks; phase or time first, then magnitude or flux, then optionally the
// error of each value; an optional header line naming them; '#' starts a comment line; lines
// end in LF, CR LF or CR.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vp::fit {

struct ObservedSettings {
    bool times = false;  // the first column holds times, phased with period and epoch
    double period = 0;   // > 0 when times
    double epoch = 0;
    int magnitudes = -1;  // 1 magnitudes, 0 flux, -1 as the header says (magnitudes without one)
    // Read a third column as the error of each value: under a header only when the header
    // names it so (err, sigma, unc), without a header whenever the first line has one.
    bool readErrors = false;
};

struct ObservedCurve {
    std::vector<double> x;      // the first column as read: the time, or the phase
    std::vector<double> phase;  // 0 <= phase < 1
    std::vector<double> value;
    std::vector<double> error;  // empty, or the error of every value (> 0)
    std::vector<long> line;     // the file's line of each observation (a FITS table's row)
    bool times = false;
    bool magnitudes = true;
    bool header = false;
};

// Phases accepted in the first column without a period; anything else is taken for a time.
inline constexpr double kLowestPhase = -1;
inline constexpr double kHighestPhase = 2;
// Values beyond these are not observations of a star's light (and would overflow the fit).
inline constexpr double kMostMagnitude = 100;
inline constexpr double kMostFlux = 1e100;

// Adds one observation (the first column, the value and, when sigma is given, its error) to
// curve, its line numbered by its place in the curve; false with a message for values that
// are not an observation of a star's light.
bool AddObservation(double first, double value, const double* sigma, bool magnitudes,
                    const ObservedSettings& settings, ObservedCurve& curve, std::string& error);

// False with a message naming the line for text that is not such a curve.
bool ReadObserved(std::string_view text, const ObservedSettings& settings, ObservedCurve& curve,
                  std::string& error);

}  // namespace vp::fit
