// The tool's options for the physics of real binaries in the flux engine: gravity darkening,
// reflection, spots, third light, an eccentric orbit and the orbit's physical size.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "flux/absolute_dimensions.h"
#include "flux/binary_system.h"

namespace vp {

struct PhysicsRequest {
    std::optional<double> gd1, gd2, alb1, alb2;
    std::vector<flux::Spot> spots;
    std::map<std::string, double> l3;  // per band; key "": every band
    double ecc = 0, omega = 90;
    // The orbit's size: with the period (the engine's --period), the separation or the masses.
    double a = 0, m1 = 0, m2 = 0, gamma = 0;
};

// Parses one of these options at args[i] (advancing i); false when it is not one. error is
// set for a bad value.
bool ParsePhysicsOption(const std::vector<std::string>& args, std::size_t& i,
                        PhysicsRequest& request, std::string& error);

std::string PhysicsOptionsHelp();

// Puts the request into the system's parameters and its bands; false with a message for a
// third light naming a band that is not computed.
bool ApplyPhysics(const PhysicsRequest& request, flux::BinaryParameters& parameters,
                  std::vector<flux::BandSetup>& bands, std::string& error);

// The stars of the system with the request's physics in solar units; its third light is left
// out (it is no star's, and names bands not computed here). Throws std::invalid_argument with
// the reason.
flux::AbsoluteDimensions AbsoluteDimensionsOf(flux::BinaryParameters parameters,
                                              PhysicsRequest request,
                                              const flux::OrbitScale& scale);

// The orbit's physical size for a period in days.
flux::OrbitScale RequestedScale(const PhysicsRequest& request, double period);

}  // namespace vp
