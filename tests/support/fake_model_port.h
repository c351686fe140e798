// A model port for tests: a record of what the model showed.
#pragma once

#include "model/model_port.h"

namespace vp::testing {

class FakeModelPort : public ModelPort {
  public:
    void ShowSlowIteration() override { ++slowMessages; }
    void MarkStar1Unstable() override { ++unstableMarks; }

    int slowMessages = 0;
    int unstableMarks = 0;
};

}  // namespace vp::testing
