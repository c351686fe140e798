// The stars in physical units: with the orbit's period and its separation (or the masses),
// the masses, radii, surface gravities and luminosities of both stars.
#pragma once

#include "flux/binary_system.h"
#include "flux/orbit_scale.h"

namespace vp::flux {

struct StarDimensions {
    double mass = 0;  // solar masses
    // Radii in solar radii: of the sphere with the star's volume; from the centre to the
    // surface at the pole (along the orbital axis), at the side (in the orbital plane at right
    // angles to the line of centres), at the back (away from the companion) and at the point
    // facing the companion (for a star in contact: to the plane of the inner Lagrangian point).
    double radius = 0;
    double radiusPole = 0, radiusSide = 0, radiusBack = 0, radiusPoint = 0;
    double area = 0;  // the surface's area, solar radii squared
    // Surface gravities, log10 of cm s^-2: at the pole, and G M / radius^2 with the volume
    // radius (the value spectroscopists quote).
    double logGPole = 0, logG = 0;
    // The luminosity in solar units: sigma T_local^4 over the surface, gravity darkening and
    // spots included (the heating by the companion is its light, not the star's); without
    // spots it is sigma T^4 times the area, T the star's mean temperature.
    double luminosity = 0;
};

struct AbsoluteDimensions {
    PhysicalOrbit orbit;
    StarDimensions star1, star2;
};

// Throws std::invalid_argument for parameters that describe no system, a scale that is
// missing or contradicts q, or the lone star.
AbsoluteDimensions ComputeAbsoluteDimensions(const BinaryParameters& p, const OrbitScale& scale);

}  // namespace vp::flux
