// The relative orbit of the two stars: Kepler's equation, and where the stars stand at any
// phase. Phase 0 is the conjunction with star 2 in front of star 1 (the primary eclipse of an
// edge-on orbit); the phase grows with the mean anomaly, one turn per period:
//   phase = (M - M0) / 2 pi,  M0 the mean anomaly at that conjunction (true anomaly 90 - omega).
// omega is the argument of periastron of star 1's orbit about the centre of mass, measured in
// the direction of motion from the node where star 1 recedes from the observer (the usual
// convention of spectroscopic orbits: star 1's velocity is K1 (cos(nu + omega) + e cos omega),
// positive receding). A circular orbit gives M = nu = M0 + 2 pi phase.
#pragma once

namespace vp::flux {

struct OrbitState {
    double meanAnomaly = 0;  // radians, from periastron
    double trueAnomaly = 0;  // radians, from periastron
    double separation = 1;   // the stars' distance in units of the semi-major axis
    // How far the line of centres has turned since phase 0, in the direction of motion
    // (radians): 2 pi phase for a circular orbit.
    double turn = 0;
};

// The eccentric anomaly E of mean anomaly M (radians): M = E - e sin E, 0 <= e < 1.
double EccentricAnomaly(double meanAnomaly, double ecc);

// The mean anomaly (radians, in (-pi, pi]) at true anomaly nu.
double MeanAnomalyOfTrue(double trueAnomaly, double ecc);

// The orbit at a phase; omega in degrees.
OrbitState OrbitAt(double phase, double ecc, double omegaDegrees);

// The phase (in [0, 1)) of the other conjunction, star 1 in front of star 2: the secondary
// eclipse of an edge-on orbit (0.5 for a circular one).
double SecondaryConjunctionPhase(double ecc, double omegaDegrees);

}  // namespace vp::flux
