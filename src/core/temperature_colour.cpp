#include "core/temperature_colour.h"

#include <cmath>
#include <initializer_list>

#include "core/fault.h"

namespace vp {

void TemperatureColour(double T, double& RR, double& GG, double& BB) {
    Assign(RR, 56100000 * std::pow(T, -1.5) + 148);
    if (T > 6500) {
        Assign(GG, 35200000 * std::pow(T, -1.5) + 184);
    } else {
        Assign(GG, 100.04 * std::log(T) - 623.6);
    }
    Assign(BB, 194.18 * std::log(T) - 1448.6);

    for (double* c : {&RR, &GG, &BB}) {
        if (*c > 255) *c = 255;
    }
    for (double* c : {&RR, &GG, &BB}) {
        if (*c < 0) *c = 0;
    }
}

}  // namespace vp
