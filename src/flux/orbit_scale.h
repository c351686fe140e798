// The physical size of the orbit: the period with the separation or with the masses, and the
// constants that turn the engine's units (the separation, the orbital angular velocity) into
// solar units and kilometres per second. IAU 2015 nominal solar values.
#pragma once

namespace vp::flux {

inline constexpr double kSolarRadius = 6.957e8;              // m
inline constexpr double kSolarMassParameter = 1.3271244e20;  // G M_sun, m^3 s^-2
inline constexpr double kSolarLuminosity = 3.828e26;         // W
inline constexpr double kSolarTemperature = 5772;            // K
inline constexpr double kSecondsPerDay = 86400;

// What the user gives: the period, and the separation or the two masses.
struct OrbitScale {
    double period = 0;  // days
    double a = 0;       // semi-major axis of the relative orbit, solar radii; 0: from the masses
    double m1 = 0, m2 = 0;  // solar masses, used when a is 0; m2 / m1 must be the mass ratio q
    double gamma = 0;       // the systemic velocity, km/s, added to every radial velocity
};

// Both of them, complete.
struct PhysicalOrbit {
    double period = 0;  // days
    double a = 0;       // solar radii
    double m1 = 0, m2 = 0;
    double gamma = 0;
    // 2 pi a / P in km/s: the relative orbit's speed on a circular orbit, the unit the
    // engine's velocities (angular velocity x separation units) are counted in.
    double speed = 0;
};

// Throws std::invalid_argument with a message for a scale that is missing or contradicts the
// mass ratio q.
PhysicalOrbit ResolveScale(const OrbitScale& scale, double q);

}  // namespace vp::flux
