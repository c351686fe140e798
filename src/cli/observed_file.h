// Observed light curves as users keep them: two columns or more, separated by commas,
// semicolons or blanks; phase or time first, then magnitude or flux; an optional header
// line naming them; '#' starts a comment line; lines end in LF, CR LF or CR.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vp {

struct ObservedSettings {
    bool times = false;  // the first column holds times, phased with period and epoch
    double period = 0;   // > 0 when times
    double epoch = 0;
    int magnitudes = -1;  // 1 magnitudes, 0 flux, -1 as the header says (magnitudes without one)
};

struct ObservedCurve {
    std::vector<double> phase;  // 0 <= phase < 1
    std::vector<double> value;
    std::vector<long> line;  // the file's line of each observation
    bool magnitudes = true;
    bool header = false;
};

// Phases accepted in the first column without a period; anything else is taken for a time.
inline constexpr double kLowestPhase = -1;
inline constexpr double kHighestPhase = 2;
// Values beyond these are not observations of a star's light (and would overflow the fit).
inline constexpr double kMostMagnitude = 100;
inline constexpr double kMostFlux = 1e100;

// False with a message naming the line for text that is not such a curve.
bool ReadObserved(std::string_view text, const ObservedSettings& settings, ObservedCurve& curve,
                  std::string& error);

}  // namespace vp
