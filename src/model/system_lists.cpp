#include "model/system_lists.h"

#include <cmath>

#include "core/constants.h"
#include "core/fault.h"
#include "core/number_text.h"
#include "model/star_shape.h"
#include "model/stellar_radius.h"

namespace vp {

std::vector<std::string> StarSizeLines(ModelState& m) {
    const double q = m.MassRatio;
    auto radius = [&](int star, double theta) {
        double r = m.PointRadius;
        SolveStarShape(m, star, 0, theta, q, r);
        return FormatZeroPoint3(r);
    };
    std::vector<std::string> lines;
    lines.push_back("r1(pole) = " + FormatZeroPoint3(m.PoleRadius1));
    lines.push_back("r1(point) = " + radius(1, kPi));
    lines.push_back("r1(side) = " + radius(1, kPi / 2));
    lines.push_back("r1(back) = " + radius(1, 0));
    const double r1 = m.PoleRadius1;
    const double mq = m.MassRatio;
    Assign(m.Omega1, 1 / r1 + mq / std::sqrt(r1 * r1 + 1));
    lines.push_back("Omega1 = " + FormatPoint3(m.Omega1));
    lines.push_back(" ");
    lines.push_back("r2(pole) = " + FormatZeroPoint3(m.PoleRadius2));
    lines.push_back("r2(point) = " + radius(2, 0));
    lines.push_back("r2(side) = " + radius(2, kPi / 2));
    lines.push_back("r2(back) = " + radius(2, kPi));
    const double r2 = m.PoleRadius2;
    const double d = std::sqrt(1 + r2 * r2);
    const double lambda = 1 / d, nu = r2 / d;
    Assign(m.Omega2, 1 / d + mq * (1 / std::sqrt(d * d - 2 * d * lambda + 1) - d * lambda) +
                         0.5 * (1 + mq) * (1 - nu * nu) * d * d);
    lines.push_back("Omega2 = " + FormatPoint3(m.Omega2));
    return lines;
}

std::vector<std::string> RocheLobeLines(ModelState& m, ModelPort& port) {
    std::vector<std::string> lines;
    lines.push_back("r1(point) = " + FormatZeroPoint3(m.L1Point));
    StarRadius(m, port, m.Omega1, m.MassRatio, 0, 0, 0, m.PointRadius);
    lines.push_back("r1(pole) = " + FormatZeroPoint3(m.PointRadius));
    lines.push_back("Omega = " + FormatPoint3(m.OmegaCrit));
    return lines;
}

}  // namespace vp
