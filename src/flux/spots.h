// Star spots: circular patches of a star's surface whose temperature is a fixed fraction of
// the surface's own there. Each spot is fixed on its star and turns with it (with the line of
// centres: the stars rotate synchronously).
//
// Where a spot sits, on a frame centred on its star:
// - latitude: from the star's equator (the orbital plane), positive towards the rotation pole
//   that is turned to the observer when the inclination is below 90 degrees;
// - longitude: from the point of the star that faces its companion (0), increasing in the
//   sense of the rotation and the orbital motion. Star 1's longitude L faces the observer at
//   phase -L / 360, star 2's at phase 0.5 - L / 360 (a spot at longitude 90 on star 1 is seen
//   face-on at phase 0.75, on star 2 at phase 0.25);
// - radius: the angular radius seen from the star's centre;
// the spot holds the directions within that angle of its centre's direction, seen from the
// star's centre. Where spots overlap, the one listed first counts.
#pragma once

#include <functional>
#include <vector>

#include "flux/lobe_mesh.h"
#include "flux/vec3.h"

namespace vp::flux {

struct Spot {
    int star = 1;                    // 1 or 2
    double latitude = 0;             // degrees, -90 .. 90
    double longitude = 0;            // degrees, any
    double radius = 10;              // degrees, (0, 90]
    double temperatureFactor = 0.9;  // spot temperature / surface temperature, > 0
};

// Throws std::invalid_argument with a message for a spot that cannot be: a star other than 1
// or 2 (or 2 when star 2 is off), values out of their ranges.
void CheckSpots(const std::vector<Spot>& spots, bool twoStars);

// The unit direction of the spot's centre from its star's centre, in the engine frame.
Vec3 SpotDirection(const Spot& spot);

// The spots of one star.
class SpotPattern {
  public:
    SpotPattern() = default;
    SpotPattern(const std::vector<Spot>& spots, int star);
    bool Empty() const { return caps_.empty(); }
    // The temperature factor in unit direction d from the star's centre.
    double Factor(Vec3 d) const;

    // Calls visit(point, b, weight, factor) for points of a rule that integrates over triangle
    // t of the mesh (b: the point's barycentric coordinates of the triangle's corners; weight:
    // area) with the spots' temperature factors, spot edges followed
    // closely: the triangle is halved where an edge crosses it, down to pieces 1/16 of its
    // size, and a piece the edge still crosses is cut along the edge's chord. False (and no
    // calls) when no spot edge crosses the triangle.
    using Visitor = std::function<void(const PatchPoint& point, const double b[3], double weight,
                                       double factor)>;
    bool IntegrateAcrossEdges(const LobeMesh& mesh, std::size_t t, const Visitor& visit) const;

  private:
    struct Cap {
        Vec3 centre;
        double radius;  // radians
        double cosRadius;
        double factor;
    };
    std::vector<Cap> caps_;
};

}  // namespace vp::flux
