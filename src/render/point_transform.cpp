// From a point of a star's or the neck's surface to its depth and place on the picture.
#include <cmath>

#include "core/constants.h"
#include "core/fault.h"
#include "model/neck_shape.h"
#include "model/star_shape.h"
#include "render/renderer.h"

namespace vp {
namespace {

bool Finite(double a, double b, double c) {
    return std::isfinite(a) && std::isfinite(b) && std::isfinite(c);
}

// A statement whose result is not finite leaves its target (here a fresh 0) unchanged.
double FiniteOrZero(double v) {
    return std::isfinite(v) ? v : 0;
}

}  // namespace

inline void Renderer::Place(double X, double Y, double Z, const View& view, CornerRecord& corner) {
    const double Xo = -X * view.cosA + Y * view.sinA;
    const double Yo = X * view.sinA + Y * view.cosA;
    const double XP = -Xo * view.sinIota - Z * view.cosIota;
    const double E = Z * view.sinIota - Xo * view.cosIota;
    const double YP = E * view.sinGamma - Yo * view.cosGamma + view.halfWidth + view.offsetX;
    const double ZP = E * view.cosGamma + Yo * view.sinGamma + view.halfHeight + view.offsetY;
    // A value that is not finite spoils every result computed from it, so finite results mean
    // that every step succeeded.
    if (Finite(XP, YP, ZP)) [[likely]] {
        corner = {XP, YP, ZP};
    } else {
        PlaceStepByStep(X, Y, Z, view, corner);
    }
}

// Place when a step fails: each step on its own, a failed step leaving its target as it was.
void Renderer::PlaceStepByStep(double X, double Y, double Z, const View& view,
                               CornerRecord& corner) {
    double xo = 0, yo = 0, e = 0;
    Assign(xo, -X * view.cosA + Y * view.sinA);
    Assign(yo, X * view.sinA + Y * view.cosA);
    Assign(corner.XP, -xo * view.sinIota - Z * view.cosIota);
    Assign(e, Z * view.sinIota - xo * view.cosIota);
    Assign(corner.YP, e * view.sinGamma - yo * view.cosGamma);
    Assign(corner.ZP, e * view.cosGamma + yo * view.sinGamma);
    Assign(corner.YP, corner.YP + view.halfWidth + view.offsetX);
    Assign(corner.ZP, corner.ZP + view.halfHeight + view.offsetY);
}

Renderer::View Renderer::MakeView(double Eta, double Iota, double Gamma) const {
    const double a = Eta + kPi / 2;
    // The picture's half sizes are single-precision values.
    const float halfWidth = pic_->ScaleWidth() / 2;
    const float halfHeight = pic_->ScaleHeight() / 2;
    return {std::cos(a),     std::sin(a),       std::sin(Iota), std::cos(Iota), std::sin(Gamma),
            std::cos(Gamma), 2 * m_->ViewScale, halfWidth,      halfHeight,     OffsetX,
            OffsetY};
}

Renderer::Angle Renderer::MakeAngle(double value) {
    return {value, std::cos(value), std::sin(value)};
}

void Renderer::CT(int StarNum, double Phi, double Theta, double Eta, double Iota, double Gamma,
                  double& XP, double& YP, double& ZP, double i, double j, double k) {
    CornerRecord corner{XP, YP, ZP};
    ProjectStarPoint(StarNum, MakeAngle(Phi), MakeAngle(Theta), MakeView(Eta, Iota, Gamma), corner,
                     i, j, k);
    XP = corner.XP;
    YP = corner.YP;
    ZP = corner.ZP;
}

void Renderer::CTN(double& Rho, double Phi, double ZC, double Eta, double Iota, double Gamma,
                   double& XP, double& YP, double& ZP, double i, double j, double k) {
    CornerRecord corner{XP, YP, ZP};
    ProjectNeckPoint(Rho, MakeAngle(Phi), ZC, MakeView(Eta, Iota, Gamma), corner, i, j, k);
    XP = corner.XP;
    YP = corner.YP;
    ZP = corner.ZP;
}

void Renderer::ProjectStarPoint(int StarNum, const Angle& phi, const Angle& theta, const View& view,
                                CornerRecord& corner, double i, double j, double k) {
    double X, Y, Z;
    StarFramePoint(StarNum, phi, theta, view.twoS, i, j, k, X, Y, Z);
    Place(X, Y, Z, view, corner);
}

void Renderer::ProjectNeckPoint(double& rho, const Angle& phi, double ZC, const View& view,
                                CornerRecord& corner, double i, double j, double k) {
    double X, Y, Z;
    NeckFramePoint(rho, phi, ZC, view.twoS, i, j, k, X, Y, Z);
    Place(X, Y, Z, view, corner);
}

void Renderer::StarFramePoint(int StarNum, const Angle& phi, const Angle& theta, double twoS,
                              double i, double j, double k, double& X, double& Y, double& Z) {
    ModelState& m = *m_;
    if (StarNum == 1) {
        PoleRadius = m.PoleRadius1;
    } else if (StarNum == 2) {
        PoleRadius = m.PoleRadius2;
    }
    m.PoleRadius = PoleRadius;

    double& r = m.PointRadius;
    if (sw_->tidal) {
        if (sw_->twoStars) {
            // The memo answer StarShape would give, without the call; it solves on a miss.
            const double stored = m.ShapeMemo.Get(i, j, k, StarNum);
            if (stored != 0) {
                r = stored;
            } else {
                StarShape(m, StarNum, phi.value, theta.value, r, i, j, k);
            }
        } else {
            // The spin radius is in units of the pole radius; the lone star is drawn at half.
            StarSpinRadius(m, *port_, phi.value, r);
            Assign(r, r / 2);
        }
    } else {
        r = PoleRadius;
    }

    const double t = twoS * r;
    X = FiniteOrZero(t * phi.cos * theta.cos);
    Y = FiniteOrZero(t * phi.cos * theta.sin);
    Z = FiniteOrZero(t * phi.sin);
}

void Renderer::SetNeckSideValues(double ZC) {
    SetStarValues(ZC <= m_->L1Point ? 1 : 2);
}

void Renderer::NeckFramePoint(double& rho, const Angle& phi, double ZC, double twoS, double i,
                              double j, double k, double& X, double& Y, double& Z) {
    SetNeckSideValues(ZC);
    ModelState& m = *m_;
    // The memo answer NeckShape would give, without the call; it iterates on a miss.
    const double stored = m.NeckMemo.Get(i, j, k);
    if (stored != 0) {
        rho = stored;
    } else {
        NeckShape(m, rho, phi.value, ZC, i, j, k);
    }
    X = FiniteOrZero(-twoS * ZC);
    Y = FiniteOrZero(twoS * rho * phi.sin);
    Z = FiniteOrZero(twoS * rho * phi.cos);
}

// A kept corner is one the memo answered: the same answer every frame until the table is
// re-created, and a memo answer has no other effect than setting the radius.
void Renderer::CachedStarPoint(CornerCache* cache, std::size_t n, int StarNum, const Angle& phi,
                               const Angle& theta, const View& view, CornerRecord& corner, double i,
                               double j, double k) {
    if (cache == nullptr) {
        ProjectStarPoint(StarNum, phi, theta, view, corner, i, j, k);
        return;
    }
    CachedCorner& kept = cache->Slot(n);
    if (kept.r != 0) {
        m_->PointRadius = kept.r;
        Place(kept.X, kept.Y, kept.Z, view, corner);
        return;
    }
    StarFramePoint(StarNum, phi, theta, view.twoS, i, j, k, kept.X, kept.Y, kept.Z);
    Place(kept.X, kept.Y, kept.Z, view, corner);
    const double r = m_->PointRadius;
    if (r != 0 && m_->ShapeMemo.Get(i, j, k, StarNum) == r) kept.r = r;
}

void Renderer::CachedNeckPoint(CornerCache* cache, std::size_t n, const Angle& phi, double ZC,
                               const View& view, CornerRecord& corner, double i, double j,
                               double k) {
    if (cache == nullptr) {
        ProjectNeckPoint(Rho, phi, ZC, view, corner, i, j, k);
        return;
    }
    CachedCorner& kept = cache->Slot(n);
    if (kept.r != 0) {
        // The side values are left to the mesh: only those of a cell's last corner are read.
        Rho = kept.r;
        Place(kept.X, kept.Y, kept.Z, view, corner);
        return;
    }
    NeckFramePoint(Rho, phi, ZC, view.twoS, i, j, k, kept.X, kept.Y, kept.Z);
    Place(kept.X, kept.Y, kept.Z, view, corner);
    if (Rho != 0 && m_->NeckMemo.Get(i, j, k) == Rho) kept.r = Rho;
}

}  // namespace vp
