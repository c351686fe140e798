#include "model/parameters.h"

#include <utility>

#include "core/constants.h"
#include "core/fault.h"
#include "core/number_text.h"

namespace vp {
namespace {

// Each box is read once. A value beyond a limit writes the limit's text into the box and
// takes the value of that text, as reading the corrected box again would.
void CorrectAbove(std::string& box, double& value, double limit, const char* text) {
    if (value > limit) {
        box = text;
        value = Val(box);
    }
}
void CorrectBelow(std::string& box, double& value, double limit, const char* text) {
    if (value < limit) {
        box = text;
        value = Val(box);
    }
}

}  // namespace

void ReadParameters(ModelState& m, const ParameterTexts& b, float scaleWidth, float scaleHeight) {
    const double zoom = Val(*b.txtZoom);
    Assign(m.ViewScale, zoom * scaleWidth / 300);
    if (scaleHeight < scaleWidth) Assign(m.ViewScale, zoom * scaleHeight / 300);

    double period = Val(*b.txtRotPer);
    if (period > 0) Assign(m.RotPeriod, period * 24 * 3600);

    Assign(m.Eta, DegToRad(Val(*b.txtEta)));

    double q = Val(*b.Qratio);

    double iota = Val(*b.txtIota);
    CorrectAbove(*b.txtIota, iota, 90, "90");
    CorrectBelow(*b.txtIota, iota, 0, "0");
    Assign(m.Iota, DegToRad(iota));

    // One mass ratio for the lists, the shapes and the orbit, so that the picture and the
    // lists describe one system: the corrected one. A value too large for a double keeps the
    // one in force (before the first, the smallest the model takes).
    CorrectBelow(*b.Qratio, q, 0.001, "0.001");
    Assign(m.MassRatio, q);
    if (!(m.MassRatio >= 0.001)) m.MassRatio = 0.001;
    m.OrbitMassRatio = m.MassRatio;

    double r1 = Val(*b.txtRadius1);
    CorrectAbove(*b.txtRadius1, r1, 1, "0.99");
    CorrectBelow(*b.txtRadius1, r1, 0.01, "0.01");
    Assign(m.PoleRadius1, r1);
    double r2 = Val(*b.txtRadius2);
    CorrectAbove(*b.txtRadius2, r2, 1, "0.99");
    CorrectBelow(*b.txtRadius2, r2, 0.01, "0.01");
    Assign(m.PoleRadius2, r2);

    double w1 = Val(*b.txtLimb1);
    CorrectAbove(*b.txtLimb1, w1, 1, "1");
    CorrectBelow(*b.txtLimb1, w1, 0, "0");
    Assign(m.Limb1, w1);
    double w2 = Val(*b.txtLimb2);
    CorrectAbove(*b.txtLimb2, w2, 1, "1");
    CorrectBelow(*b.txtLimb2, w2, 0, "0");
    Assign(m.Limb2, w2);

    double n = Val(*b.txtN1);
    CorrectAbove(*b.txtN1, n, 100, "100");
    CorrectBelow(*b.txtN1, n, 1, "1");
    Assign(m.LatLines1, n);
    m.LatLines2 = m.LatLines1;
    Assign(m.NeckLines, 4 * m.LatLines1);

    // A temperature of 100000 and above becomes "100000", one of 0 and below "1".
    for (auto [box, temp] : {std::pair{b.txtTemp1, &m.Temp1}, std::pair{b.txtTemp2, &m.Temp2}}) {
        double t = Val(*box);
        if (t >= 100000) {
            *box = "100000";
            t = Val(*box);
        }
        if (t <= 0) {
            *box = "1";
            t = Val(*box);
        }
        if (t > 0) Assign(*temp, t);
    }

    double step = Val(*b.txtAnimSpeed);
    CorrectAbove(*b.txtAnimSpeed, step, 20, "20");
    CorrectBelow(*b.txtAnimSpeed, step, 0, "0");

    Assign(m.Gamma, DegToRad(Val(*b.txtGamma)));
}

}  // namespace vp
