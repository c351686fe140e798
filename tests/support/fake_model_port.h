// A model port for tests: a fixed mass ratio in the box, and a record of what was shown.
#pragma once

#include "model/model_port.h"

namespace vp::testing {

class FakeModelPort : public ModelPort {
  public:
    explicit FakeModelPort(double q = 1) : q(q) {}
    double QratioBoxValue() override { return q; }
    void ShowSlowIteration() override { ++slowMessages; }
    void MarkStar1Unstable() override { ++unstableMarks; }

    double q;
    int slowMessages = 0;
    int unstableMarks = 0;
};

}  // namespace vp::testing
