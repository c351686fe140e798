#include "model/parameters.h"

#include "core/constants.h"
#include "core/fault.h"
#include "core/number_text.h"

namespace vp {
namespace {

// Applies the lower and upper corrections of one box; each writes its text on failure.
void CorrectAbove(std::string& box, double limit, const char* text) {
    if (Val(box) > limit) box = text;
}
void CorrectBelow(std::string& box, double limit, const char* text) {
    if (Val(box) < limit) box = text;
}

}  // namespace

void ReadParameters(ModelState& m, const ParameterTexts& b, float scaleWidth, float scaleHeight) {
    Assign(m.ViewScale, Val(*b.txtZoom) * scaleWidth / 300);
    if (scaleHeight < scaleWidth) Assign(m.ViewScale, Val(*b.txtZoom) * scaleHeight / 300);

    double period = Val(*b.txtRotPer);
    if (period > 0) Assign(m.RotPeriod, period * 24 * 3600);

    Assign(m.Eta, DegToRad(Val(*b.txtEta)));
    Assign(m.OrbitMassRatio, Val(*b.Qratio));

    CorrectAbove(*b.txtIota, 90, "90");
    CorrectBelow(*b.txtIota, 0, "0");
    Assign(m.Iota, DegToRad(Val(*b.txtIota)));

    CorrectBelow(*b.Qratio, 0.001, "0.001");
    Assign(m.MassRatio, Val(*b.Qratio));

    CorrectAbove(*b.txtRadius1, 1, "0.99");
    CorrectBelow(*b.txtRadius1, 0.01, "0.01");
    Assign(m.PoleRadius1, Val(*b.txtRadius1));
    CorrectAbove(*b.txtRadius2, 1, "0.99");
    CorrectBelow(*b.txtRadius2, 0.01, "0.01");
    Assign(m.PoleRadius2, Val(*b.txtRadius2));

    CorrectAbove(*b.txtLimb1, 1, "1");
    CorrectBelow(*b.txtLimb1, 0, "0");
    Assign(m.Limb1, Val(*b.txtLimb1));
    CorrectAbove(*b.txtLimb2, 1, "1");
    CorrectBelow(*b.txtLimb2, 0, "0");
    Assign(m.Limb2, Val(*b.txtLimb2));

    CorrectAbove(*b.txtN1, 100, "100");
    CorrectBelow(*b.txtN1, 1, "1");
    Assign(m.LatLines1, Val(*b.txtN1));
    m.LatLines2 = m.LatLines1;
    Assign(m.NeckLines, 4 * m.LatLines1);

    if (Val(*b.txtTemp1) >= 100000) *b.txtTemp1 = "100000";
    if (Val(*b.txtTemp1) <= 0) *b.txtTemp1 = "1";
    if (Val(*b.txtTemp1) > 0) Assign(m.Temp1, Val(*b.txtTemp1));
    if (Val(*b.txtTemp2) >= 100000) *b.txtTemp2 = "100000";
    if (Val(*b.txtTemp2) <= 0) *b.txtTemp2 = "1";
    if (Val(*b.txtTemp2) > 0) Assign(m.Temp2, Val(*b.txtTemp2));

    CorrectAbove(*b.txtAnimSpeed, 20, "20");
    CorrectBelow(*b.txtAnimSpeed, 0, "0");

    Assign(m.Gamma, DegToRad(Val(*b.txtGamma)));
}

}  // namespace vp
