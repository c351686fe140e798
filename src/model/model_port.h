// What the model asks of the window that owns it.
#pragma once

namespace vp {

class ModelPort {
  public:
    virtual ~ModelPort() = default;
    // The radius iteration needed more than ten passes: the " 10" message.
    virtual void ShowSlowIteration() = 0;
    // The rotating single star did not settle: star 1's frame says so.
    virtual void MarkStar1Unstable() = 0;
};

}  // namespace vp
