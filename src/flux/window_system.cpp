#include "flux/window_system.h"

#include "core/constants.h"

namespace vp::flux {

BinaryParameters FromWindowModel(const ModelState& m, const WindowSwitches& s) {
    BinaryParameters p;
    p.q = m.MassRatio;
    p.incl = m.Iota * 180 / kPi;  // the window's own pi, so that its degrees come back exactly
    p.r1 = m.PoleRadius1;
    p.r2 = m.PoleRadius2;
    p.t1 = m.Temp1;
    p.t2 = m.Temp2;
    p.w1 = m.Limb1;
    p.w2 = m.Limb2;
    p.tidal = s.tidal;
    p.stefan = s.stefan;
    p.twoStars = s.twoStars;
    p.neck = s.neck ? 1 : 0;
    if (m.RotPeriod > 0) p.rotationPeriod = m.RotPeriod / 86400;
    return p;
}

}  // namespace vp::flux
