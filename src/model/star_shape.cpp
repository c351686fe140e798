#include "model/star_shape.h"

#include <cmath>

#include "core/constants.h"
#include "core/fault.h"

namespace vp {

void SolveStarShape(ModelState& m, int StarNum, double Phi, double Theta, double q,
                    double& QWERTY) {
    double rp, qp = 0, shift;
    if (StarNum == 1) {
        rp = m.PoleRadius1;
        qp = q;
        shift = -kPi / 2;
    } else {
        rp = m.PoleRadius2;
        Assign(qp, Div(1, q));
        shift = kPi / 2;
    }
    const double s = std::sin(Theta + shift);
    const double cosPhi = std::cos(Phi);
    double lambda = 0, nu = 0, omegaPole = 0;
    Assign(lambda, cosPhi * s);
    Assign(nu, std::sin(Phi));
    Assign(omegaPole, Div(1, rp) + qp / std::sqrt(rp * rp + 1));
    auto step = [&](double r) {
        double g = omegaPole - Div(qp, std::sqrt(r * r - 2 * r * lambda + 1)) + qp * r * lambda -
                   0.5 * (1 + qp) * (1 - nu * nu) * r * r;
        Assign(QWERTY, Div(1, g));
    };
    step(rp);
    double change = 0;
    m.IterCount = 0;
    do {
        ++m.IterCount;
        double previous = QWERTY;
        step(QWERTY);
        if (QWERTY < 0) m.IterCount = 20;
        Assign(change, Div(std::fabs(previous - QWERTY), QWERTY));
    } while (!(m.IterCount >= 20 || change < 0.001));

    const double toL1 = StarNum == 1 ? m.L1Point : 1 - m.L1Point;
    if (m.IterCount >= 20) QWERTY = toL1;
    if (s > 0 && std::fabs(QWERTY) > toL1) Assign(QWERTY, Div(toL1, cosPhi));
}

void StarShape(ModelState& m, int StarNum, double Phi, double Theta, double& QWERTY, double i,
               double j, double k) {
    double stored = m.ShapeMemo.Get(i, j, k, StarNum);
    if (stored != 0) {
        QWERTY = stored;
        return;
    }
    SolveStarShape(m, StarNum, Phi, Theta, m.MassRatio, QWERTY);
    m.ShapeMemo.Set(i, j, k, StarNum, QWERTY);
}

void StarSpinRadius(ModelState& m, ModelPort& port, double Phi, double& QWERTY) {
    const double c = std::cos(Phi);
    const double K = std::pow(6.95e8, 3) * 0.5 * 4 * std::pow(kPi, 2) * std::pow(c, 2);
    const double D = std::pow(m.RotPeriod, 2) * 6.672e-11 * 1.989e30;
    Assign(QWERTY, Div(1, 1 - Div(K, D)));
    double change = 0;
    m.IterCount = 0;
    do {
        ++m.IterCount;
        double previous = QWERTY;
        Assign(QWERTY, Div(1, 1 - Div(QWERTY * QWERTY * K, D)));
        Assign(change, Div(std::fabs(previous - QWERTY), QWERTY));
    } while (!(m.IterCount >= 10 || change < 0.01));
    if (m.IterCount >= 10) port.MarkStar1Unstable();
}

}  // namespace vp
