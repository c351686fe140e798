// The figures a recompute shows about the system: the star-size list, the Roche-lobe list,
// the surface potentials and the contact test.
#pragma once

#include <string>
#include <vector>

#include "model/model_port.h"
#include "model/model_state.h"

namespace vp {

// The radii the star-size list shows (separation units): each star's pole, its point towards
// the other star, its side and its back.
struct StarSizes {
    double r1Pole = 0, r1Point = 0, r1Side = 0, r1Back = 0;
    double r2Pole = 0, r2Point = 0, r2Side = 0, r2Back = 0;
};

// Star 1's Roche lobe as the Roche-lobe list shows it: its point (the inner Lagrangian point)
// and its pole radius.
struct RocheLobe {
    double point = 0, pole = 0;
};

// Sets Omega1 and Omega2 (the surface potentials at the poles) and solves the radii of the
// star-size list, from the pole radii and the mass ratio the recompute has just read (the
// values of the corrected boxes).
StarSizes SolveStarSizes(ModelState& m);

// The eleven lines of the star-size list.
std::vector<std::string> StarSizeLines(const StarSizes& sizes, const ModelState& m);

// Solves star 1's lobe radius at right angles with StarRadius, which may show its " 10"
// message through the port.
RocheLobe SolveRocheLobe(ModelState& m, ModelPort& port);

// The three lines of the Roche-lobe list.
std::vector<std::string> RocheLobeLines(const RocheLobe& lobe, const ModelState& m);

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
