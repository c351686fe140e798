#include "model/system_lists.h"

#include <cmath>

#include "core/constants.h"
#include "core/fault.h"
#include "core/number_text.h"
#include "model/star_shape.h"
#include "model/stellar_radius.h"

namespace vp {

StarSizes SolveStarSizes(ModelState& m) {
    const double q = m.MassRatio;
    auto radius = [&](int star, double theta) {
        double r = m.PointRadius;
        SolveStarShape(m, star, 0, theta, q, r);
        return r;
    };
    StarSizes s;
    s.r1Pole = m.PoleRadius1;
    s.r1Point = radius(1, kPi);
    s.r1Side = radius(1, kPi / 2);
    s.r1Back = radius(1, 0);
    const double r1 = m.PoleRadius1;
    const double mq = m.MassRatio;
    Assign(m.Omega1, 1 / r1 + mq / std::sqrt(r1 * r1 + 1));
    s.r2Pole = m.PoleRadius2;
    s.r2Point = radius(2, 0);
    s.r2Side = radius(2, kPi / 2);
    s.r2Back = radius(2, kPi);
    const double r2 = m.PoleRadius2;
    const double d = std::sqrt(1 + r2 * r2);
    const double lambda = 1 / d, nu = r2 / d;
    Assign(m.Omega2, 1 / d + mq * (1 / std::sqrt(d * d - 2 * d * lambda + 1) - d * lambda) +
                         0.5 * (1 + mq) * (1 - nu * nu) * d * d);
    return s;
}

std::vector<std::string> StarSizeLines(const StarSizes& s, const ModelState& m) {
    return {
        "r1(pole) = " + FormatZeroPoint3(s.r1Pole), "r1(point) = " + FormatZeroPoint3(s.r1Point),
        "r1(side) = " + FormatZeroPoint3(s.r1Side), "r1(back) = " + FormatZeroPoint3(s.r1Back),
        "Omega1 = " + FormatPoint3(m.Omega1),       " ",
        "r2(pole) = " + FormatZeroPoint3(s.r2Pole), "r2(point) = " + FormatZeroPoint3(s.r2Point),
        "r2(side) = " + FormatZeroPoint3(s.r2Side), "r2(back) = " + FormatZeroPoint3(s.r2Back),
        "Omega2 = " + FormatPoint3(m.Omega2)};
}

RocheLobe SolveRocheLobe(ModelState& m, ModelPort& port) {
    StarRadius(m, port, m.Omega1, m.MassRatio, 0, 0, 0, m.PointRadius);
    return {m.L1Point, m.PointRadius};
}

std::vector<std::string> RocheLobeLines(const RocheLobe& lobe, const ModelState& m) {
    return {"r1(point) = " + FormatZeroPoint3(lobe.point),
            "r1(pole) = " + FormatZeroPoint3(lobe.pole), "Omega = " + FormatPoint3(m.OmegaCrit)};
}

}  // namespace vp
