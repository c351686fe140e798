// One frame of the orbital view: the farther star first, the neck, the nearer star last.
#include "render/renderer.h"

#include <cmath>

#include "core/constants.h"
#include "core/fault.h"

namespace vp {

void Renderer::Bind(ModelState& model, ModelPort& port, const RenderSwitches& switches,
                    Surface& picture) {
    m_ = &model;
    port_ = &port;
    sw_ = &switches;
    pic_ = &picture;
}

void Renderer::DrawStar(ModelState& model, ModelPort& port, const RenderSwitches& switches,
                        Surface& picture) {
    Bind(model, port, switches, picture);
    reach_ = {};
    picture.Clear();
    OffsetX = 0;
    OffsetY = 0;
    if (sw_->twoStars) {
        const double a = model.Eta + kPi / 2;
        const bool star2Farther = std::cos(a) > 0;
        DrawOneStar(star2Farther ? 2 : 1);
        if (sw_->neck) MakeNeck();
        DrawOneStar(star2Farther ? 1 : 2);
    } else {
        MakeStar(1);
    }
}

void Renderer::DrawOneStar(int StarNum) {
    SetStarOffsets(StarNum);
    if (sw_->neck) {
        MakeStarContact(StarNum);
    } else {
        MakeStar(StarNum);
    }
}

// The star's centre in the orbit frame, taken through the view with no axis tilt.
void Renderer::SetStarOffsets(int StarNum) {
    const double q = m_->OrbitMassRatio;
    const double S = m_->ViewScale;
    const double a = m_->Eta + kPi / 2;
    if (StarNum == 1) {
        Assign(OffsetX, -2 * S * q * std::sin(a) / (1 + q));
        Assign(OffsetY, 2 * S * q * std::cos(a) * std::cos(m_->Iota) / (1 + q));
    } else {
        Assign(OffsetX, 2 * S * std::sin(a) / (1 + q));
        Assign(OffsetY, -2 * S * std::cos(a) * std::cos(m_->Iota) / (1 + q));
    }
}

void Renderer::SetStarValues(int StarNum) {
    const ModelState& m = *m_;
    // The model's shared PoleRadius is the same working value as the renderer's.
    if (StarNum == 1) {
        PoleRadius = m.PoleRadius1;
        Limb = m.Limb1;
        LatLines = m.LatLines1;
        Temp = m.Temp1;
    } else {
        PoleRadius = m.PoleRadius2;
        Limb = m.Limb2;
        LatLines = m.LatLines2;
        Temp = m.Temp2;
    }
    m_->PoleRadius = PoleRadius;
}

}  // namespace vp
