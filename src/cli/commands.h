// The commands of the headless tool. Each takes the arguments after its name and returns
// the process exit code: 0 done, 1 failed, 2 usage error.
#pragma once

#include <string>
#include <vector>

namespace vp {

int RunInfo(const std::vector<std::string>& args);
int RunRender(const std::vector<std::string>& args);
int RunLightCurve(const std::vector<std::string>& args);
int RunAtlas(const std::vector<std::string>& args);
int RunFrames(const std::vector<std::string>& args);
int RunSaveStar(const std::vector<std::string>& args);
int RunReplay(const std::vector<std::string>& args);
int RunCompare(const std::vector<std::string>& args);
int RunObserve(const std::vector<std::string>& args);
int RunFit(const std::vector<std::string>& args);
int RunRadialVelocities(const std::vector<std::string>& args);

}  // namespace vp
