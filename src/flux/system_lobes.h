// The bodies a binary's parameters describe: the lobes the engine meshes (each star, or each
// half of a contact envelope, or the lone rotating star), the facts of the geometry, and the
// temperature the window paints on them.
#pragma once

#include <vector>

#include "flux/binary_system.h"
#include "flux/lobe.h"

namespace vp::flux {

// The lobes of the system's bodies and the facts of its geometry. Throws
// std::invalid_argument for a lone star that rotates too fast to hold together.
std::vector<Lobe> MakeLobes(const BinaryParameters& p, SystemFacts& facts);

// The surface temperature at a point of lobe `star`: the star's own, blended linearly across
// the neck within 0.05 of the inner Lagrangian point as the window paints it.
double SurfaceTemperature(const BinaryParameters& p, const SystemFacts& facts, int star, Vec3 pos);

}  // namespace vp::flux
