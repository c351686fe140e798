// The outline on the sky of the body in front, in polar form about the projection of its
// centre: R(psi), the distance from that point to the edge of the body's disc at position angle
// psi. Every body the engine draws is star-shaped about its centre, and so is its disc.
#pragma once

#include <vector>

#include "flux/lobe.h"
#include "flux/sky_polygon.h"
#include "flux/vec3.h"

namespace vp::flux {

class SkyOutline {
  public:
    // A circle of radius r (a sphere in front).
    void SetCircle(double r);
    // The disc of a lobe seen along w (unit, towards the observer), with sky axes e1, e2,
    // tabulated at position angles from psiLow to psiHigh (radians, psiHigh - psiLow <= 2 pi;
    // a full turn when equal to 2 pi) at most `step` apart.
    void SetLobe(const Lobe& lobe, double extentGuess, Vec3 w, Vec3 e1, Vec3 e2, double psiLow,
                 double psiHigh, double step);

    double Radius(double psi) const;

    // The outline near position angle psi as the circle that osculates it there, with the disc
    // on the circle's inner side (`inside` true) or its outer side (a hollow of the outline); a
    // straight edge is a circle of infinite radius and is given as `straight` with the unit
    // normal pointing into the disc.
    struct LocalEdge {
        bool straight = false;
        bool inside = true;
        Point2 centre{0, 0};
        double radius = 0;
        Point2 point{0, 0}, normal{0, 0};
    };
    LocalEdge Local(double psi) const;
    double minRadius() const { return minRadius_; }
    double maxRadius() const { return maxRadius_; }
    bool IsCircle() const { return circle_; }

    // The part of the disc between position angles psiA and psiB (psiA < psiB, at most one
    // turn apart) as a polygon: the centre, then edge points at most `step` apart, placed so
    // that every sector keeps the area of the disc's own sector.
    void Wedge(double psiA, double psiB, double step, SkyPolygon& out) const;
    // The whole disc as such a polygon (without the centre).
    void Whole(double step, SkyPolygon& out) const;

  private:
    // The radius and its first two derivatives at psi.
    void Derivatives(double psi, double& r, double& r1, double& r2) const;
    bool circle_ = true;
    double radius_ = 0;
    double psi0_ = 0, dpsi_ = 1;
    bool fullTurn_ = false;
    std::vector<double> table_;
    double minRadius_ = 0, maxRadius_ = 0;
};

}  // namespace vp::flux
