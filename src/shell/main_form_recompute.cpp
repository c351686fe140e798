// The recompute: parameter boxes in, lists, contact state and a new picture out.
#include <cmath>

#include "core/number_text.h"
#include "model/parameters.h"
#include "model/roche.h"
#include "model/system_lists.h"
#include "render/picture_fit.h"
#include "shell/main_form.h"

namespace vp {

void MainForm::Refresh_Click() {
    curve.ColorChannel = 3;
    frameMessage.visible = false;  // the light curve starts again: so does the fit's warning

    const int width = clientWidth - kPictureLeft - 10;
    const int height = clientHeight - kPictureTop - 5 - kPlotHeight - kPlotButtonHeight;
    if (width != picture.Width() || height != picture.Height()) picture.Resize(width, height);
    picture.SetFillColour(kBlack);

    ParameterTexts boxes{&txtZoom.text,      &txtRotPer.text,  &txtEta.text,     &Qratio.text,
                         &txtIota.text,      &txtRadius1.text, &txtRadius2.text, &txtLimb1.text,
                         &txtLimb2.text,     &txtN1.text,      &txtTemp1.text,   &txtTemp2.text,
                         &txtAnimSpeed.text, &txtGamma.text};
    ReadParameters(model, boxes, picture.ScaleWidth(), picture.ScaleHeight());

    PlotWidth = kPlotWidth;
    curve.Reset(PlotWidth);

    RochePot(model);
    starSizes = SolveStarSizes(model);
    StarSizeList.items = StarSizeLines(starSizes, model);

    const double t1 = model.Temp1, t2 = model.Temp2;
    txtMessage.visible =
        chkStefan.checked && (std::pow(t1 / t2, 4) > 2 || std::pow(t2 / t1, 4) > 2);

    rocheLobe = SolveRocheLobe(model, *this);
    RocheList.items = RocheLobeLines(rocheLobe, model);

    if (Star1Overfills(model)) {
        FrameStar1.caption = " Star 1 - Contact ";
        FrameStar1.foreColour = kRed;
    } else {
        FrameStar1.caption = " Star 1 ";
        FrameStar1.foreColour = kLightGrey;
    }
    if (Star2Overfills(model)) {
        FrameStar2.caption = " Star 2 - Contact ";
        FrameStar2.foreColour = kRed;
    } else {
        FrameStar2.caption = " Star 2 ";
        FrameStar2.foreColour = kLightGrey;
    }

    SetChecked(chkNeck, InContact(model));

    lblMessage.caption = "Rendering Stars";

    RecreateMemoTables(model);

    port_.DoEvents();
    DrawStar();
}

double MainForm::LargestZoomInsidePicture(double stepDegrees) const {
    return LargestZoomInside(model, CurrentSwitches(), picture.Width(), picture.Height(),
                             stepDegrees);
}

RenderSwitches MainForm::CurrentSwitches() const {
    RenderSwitches s;
    s.tidal = chkSpherical.checked;
    s.twoStars = TwoStarsCheck.checked;
    s.neck = chkNeck.checked;
    s.similarAreas = chkSimAreas.checked;
    s.granulation = chkGran.checked;
    s.stefan = chkStefan.checked;
    s.mode = chkGrid.checked ? DrawMode::Grid : chkDots.checked ? DrawMode::Dots : DrawMode::Paint;
    return s;
}

void MainForm::DrawStar() {
    RenderSwitches switches = CurrentSwitches();
    renderer.DrawStar(model, *this, switches, picture);
    // A recording measures the picture: light beyond its edge is missing from the curve.
    if (chkSave.checked && renderer.StarsCutByEdge()) {
        lblMessage.caption = kStarsCutMessage;
        frameMessage.visible = true;
    }
    if (chkPhotometry.checked) Photometry_Click();
}

}  // namespace vp
