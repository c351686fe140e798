// Culling, limb darkening, granulation and colour of one cell, filled as one polygon.
#include <algorithm>
#include <cmath>

#include "core/fault.h"
#include "core/rounding.h"
#include "render/renderer.h"

namespace vp {

void Renderer::DrawCell(double /*R*/, double WW, double T, double TB, double i, double j) {
    ShadeCell(WW, T, TB, i, j, false);
}

void Renderer::DrawNeckCell(double /*R*/, double WW, double T, double TB, double i, double j) {
    ShadeCell(WW, T, TB, i, j, true);
}

void Renderer::ShadeCell(double WW, double T, double TB, double i, double j, bool neck) {
    const auto& c = CellCorners;
    Assign(CellCentre.XP, (c[1].XP + c[2].XP + c[3].XP + c[4].XP) / 4);
    Assign(CellCentre.YP, (c[1].YP + c[2].YP + c[3].YP + c[4].YP) / 4);
    Assign(CellCentre.ZP, (c[1].ZP + c[2].ZP + c[3].ZP + c[4].ZP) / 4);

    double ax = 0, ay = 0, az = 0, bx = 0, by = 0, bz = 0;
    Assign(ax, c[1].XP - CellCentre.XP);
    Assign(ay, c[1].YP - CellCentre.YP);
    Assign(az, c[1].ZP - CellCentre.ZP);
    Assign(bx, c[4].XP - CellCentre.XP);
    Assign(by, c[4].YP - CellCentre.YP);
    Assign(bz, c[4].ZP - CellCentre.ZP);

    // The depth component of a x b, then normalised by |a x b|; a degenerate cell, whose
    // normalisation fails, keeps the unnormalised value and is drawn or skipped by its sign.
    Assign(Mu, ay * bz - az * by);
    double dot = 0;
    Assign(dot, ax * bx + ay * by + az * bz);
    Assign(Mu, Mu / std::sqrt((ax * ax + ay * ay + az * az) * (bx * bx + by * by + bz * bz) -
                              dot * dot));
    // The northern and southern corner orders run in opposite senses.
    if (TB == 0) Mu = -Mu;
    if (Mu <= 0) return;

    bool placed = true;
    for (int k = 1; k <= 5; ++k) {
        const auto x = RoundHalfEven32(c[k].YP);
        const auto y = RoundHalfEven32(c[k].ZP);
        if (x && y) {
            PolyPts[k - 1] = {*x, *y};
        } else {
            placed = false;
        }
    }
    PolyCounts[0] = 5;
    NoteReach(placed);

    Assign(Intensity, 1 - WW * std::fabs(1 - std::fabs(Mu)));

    if (sw_->granulation) {
        double gx = 0, gy = 0;
        Assign(gx, i - 100 * Int(i / 100));
        if (neck) {
            Assign(gy, j - 100 * Int(j / 100));
        } else {
            Assign(gy, (j + 111 * TB) - 100 * Int((j + 111 * TB) / 100));
        }
        const auto x = RoundHalfEven32(gx);
        const auto y = RoundHalfEven32(gy);
        if (x && y && *x >= 0 && *x <= 100 && *y >= 0 && *y <= 100) {
            Assign(Intensity, Intensity * (0.1 * GranTable[*x][*y] + 0.9));
        }
    }

    CellColour(T);

    if (neck && sw_->stefan && T != m_->Temp1 && T != m_->Temp2) {
        // A neck cell in the temperature blend gets the dimming StarColor gives a cooler star.
        const double t1 = m_->Temp1, t2 = m_->Temp2;
        if (t1 <= t2) {
            Assign(CellR, CellR * std::pow(T / t2, 4));
            Assign(CellG, CellG * std::pow(T / t2, 4));
            Assign(CellB, CellB * std::pow(T / t2, 4));
        }
        if (t2 <= t1) {
            Assign(CellR, CellR * std::pow(T / t1, 4));
            Assign(CellG, CellG * std::pow(T / t1, 4));
            Assign(CellB, CellB * std::pow(T / t1, 4));
        }
    }

    for (double* channel : {&CellR, &CellG, &CellB}) {
        Assign(*channel, std::fabs(Int(*channel * Intensity)));
        if (*channel > 255 || *channel < 0) *channel = 0;
    }

    if (!placed) return;
    const auto channel = [](double v) { return static_cast<int>(std::nearbyint(v)); };
    const Colour colour = RGB(channel(CellR), channel(CellG), channel(CellB));
    Surface& pic = *pic_;
    switch (sw_->mode) {
        case DrawMode::Paint:
            pic.SetFillColour(colour);
            pic.SetOutlineColour(colour);
            pic.FillPolygon(PolyPts.data(), PolyCounts[0]);
            break;
        case DrawMode::Grid:
            pic.SetFillColour(kBlack);
            pic.SetOutlineColour(colour);
            pic.FillPolygon(PolyPts.data(), PolyCounts[0]);
            break;
        case DrawMode::Dots: {
            pic.SetFillColour(kBlack);
            pic.SetOutlineColour(kBlack);
            pic.FillPolygon(PolyPts.data(), PolyCounts[0]);
            DotColour = kWhite;
            const auto x = RoundHalfEven32(CellCentre.YP);
            const auto y = RoundHalfEven32(CellCentre.ZP);
            if (x && y) pic.Circle(*x, *y, 1, DotColour, true);
            break;
        }
    }
}

// How far the drawn cells reach from the picture's centre, and whether one crosses its edge:
// a corner outside the picture's pixels, or too far out to be a pixel at all.
void Renderer::NoteReach(bool placed) {
    const float halfWidth = pic_->ScaleWidth() / 2;
    const float halfHeight = pic_->ScaleHeight() / 2;
    bool outside = !placed;
    for (int k = 1; k <= 5; ++k) {
        reach_.x = std::max(reach_.x, std::fabs(CellCorners[k].YP - halfWidth));
        reach_.y = std::max(reach_.y, std::fabs(CellCorners[k].ZP - halfHeight));
        const PicturePoint& p = PolyPts[k - 1];
        outside |= p.x < 0 || p.y < 0 || p.x >= pic_->Width() || p.y >= pic_->Height();
    }
    reach_.cut |= outside;
}

// StarColor, remembered while the temperature and what it depends on stay the same. Outside
// the temperatures where every step of StarColor succeeds its result also depends on the
// channels' previous values, so it is not remembered there.
void Renderer::CellColour(double T) {
    const double t1 = m_->Temp1, t2 = m_->Temp2;
    const auto safe = [](double t) { return t >= 1 && t <= 1e50; };
    if (!(safe(T) && safe(t1) && safe(t2))) {
        StarColor(T, CellR, CellG, CellB);
        return;
    }
    ColourMemo& memo = colourMemo_;
    const bool stefan = sw_->stefan;
    if (!(memo.valid && memo.T == T && memo.stefan == stefan && memo.Temp1 == t1 &&
          memo.Temp2 == t2)) {
        StarColor(T, CellR, CellG, CellB);
        memo = {true, stefan, T, t1, t2, CellR, CellG, CellB};
        return;
    }
    CellR = memo.R;
    CellG = memo.G;
    CellB = memo.B;
}

}  // namespace vp
