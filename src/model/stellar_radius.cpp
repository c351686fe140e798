#include "model/stellar_radius.h"

#include <cmath>

#include "core/fault.h"

namespace vp {

void StarRadius(ModelState& m, ModelPort& port, double Omega, double QQ, double ShiftAngle,
                double Phi, double Theta, double& QWERTY) {
    const double q = QQ;
    double lambda = 0, nu = 0;
    Assign(lambda, std::cos(Phi) * std::sin(Theta + ShiftAngle));
    Assign(nu, std::sin(Phi));
    auto step = [&](double r) {
        double g = Omega - q * (Div(1, std::sqrt(r * r - 2 * r * lambda + 1)) - r * lambda) -
                   0.5 * (1 + q) * (1 - nu * nu) * r * r;
        Assign(QWERTY, Div(1, g));
    };
    step(0.5);
    double change = 0;
    m.IterCount = 0;
    do {
        ++m.IterCount;
        double previous = QWERTY;
        step(QWERTY);
        Assign(change, Div(std::fabs(previous - QWERTY), QWERTY));
    } while (!(m.IterCount >= 20 || change < 0.001));
    if (m.IterCount > 10) port.ShowSlowIteration();
}

}  // namespace vp
