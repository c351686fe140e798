// Systems and bands the engine's tests share.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "flux/binary_system.h"

namespace vp::flux::testing {

inline BandSetup BandOf(const std::string& name) {
    BandSetup setup;
    std::string error;
    EXPECT_TRUE(FindBand(name, setup.band, error)) << error;
    return setup;
}

// Two spheres of the given pole radii, seen at incl degrees.
inline BinaryParameters SphereSystem(double r1, double r2, double incl, double q, double t1,
                                     double t2) {
    BinaryParameters p;
    p.tidal = false;
    p.q = q;
    p.r1 = r1;
    p.r2 = r2;
    p.incl = incl;
    p.t1 = t1;
    p.t2 = t2;
    return p;
}

}  // namespace vp::flux::testing
