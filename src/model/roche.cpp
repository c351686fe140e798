#include "model/roche.h"

#include <cmath>

#include "core/fault.h"

namespace vp {

void RochePot(ModelState& m) {
    const double q = m.MassRatio;
    double x = 0.5;
    double f = 0, df = 0, step = 0;
    auto newtonStep = [&]() {
        double d = std::pow(x * x - 2 * x + 1, 1.5);
        Assign(f, Div(-1, x * x) - q * (Div(x - 1, d) + 1) + (1 + q) * x);
        Assign(df, Div(2, x * x * x) + Div(2 * q, d) + (1 + q));
        Assign(step, Div(f, df));
        Assign(x, x - step);
    };
    newtonStep();
    m.IterCount = 0;
    do {
        ++m.IterCount;
        newtonStep();
    } while (!(m.IterCount >= 20 || std::fabs(step) < 0.0005));
    m.L1Point = x;
    double d2 = std::sqrt(x * x - 2 * x + 1);
    Assign(m.OmegaCrit, Div(1, x) + q * (Div(1, d2) - x) + 0.5 * (1 + q) * x * x);
}

}  // namespace vp
