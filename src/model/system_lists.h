// The figures a recompute shows about the system: the star-size list, the Roche-lobe list,
// the surface potentials and the contact test.
#pragma once

#include <string>
#include <vector>

#include "model/model_port.h"
#include "model/model_state.h"

namespace vp {

// Sets Omega1 and Omega2 (the surface potentials at the poles) and returns the eleven lines
// of the star-size list, from the pole radii and the mass ratio the recompute has just read
// (the values of the corrected boxes).
std::vector<std::string> StarSizeLines(ModelState& m);

// The three lines of the Roche-lobe list; solves star 1's radius at right angles with
// StarRadius, which may show its " 10" message through the port.
std::vector<std::string> RocheLobeLines(ModelState& m, ModelPort& port);

// Whether each star overfills its Roche lobe.
inline bool Star1Overfills(const ModelState& m) {
    return m.Omega1 < m.OmegaCrit;
}
inline bool Star2Overfills(const ModelState& m) {
    return m.Omega2 < m.OmegaCrit;
}
inline bool InContact(const ModelState& m) {
    return m.Omega1 - m.OmegaCrit < 0 && m.Omega2 - m.OmegaCrit < 0;
}

}  // namespace vp
