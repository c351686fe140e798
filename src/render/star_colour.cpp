// The colour of a surface element from its temperature.
#include <cmath>

#include "core/fault.h"
#include "core/temperature_colour.h"
#include "render/renderer.h"

namespace vp {

void Renderer::StarColor(double T, double& RR, double& GG, double& BB) const {
    TemperatureColour(T, RR, GG, BB);

    if (sw_ == nullptr || m_ == nullptr || !sw_->stefan) return;
    // The cooler star is dimmed by the fourth power of the temperature ratio.
    const double t1 = m_->Temp1, t2 = m_->Temp2;
    if (T == t1 && t1 <= t2) {
        for (double* c : {&RR, &GG, &BB}) Assign(*c, *c * std::pow(t1 / t2, 4));
    }
    if (T == t2 && t2 <= t1) {
        for (double* c : {&RR, &GG, &BB}) Assign(*c, *c * std::pow(t2 / t1, 4));
    }
}

}  // namespace vp
