#include "flux/spots.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>

#include "flux/sky_polygon.h"
#include "flux/triangle_rule.h"

namespace vp::flux {
namespace {

constexpr double kDegree = std::numbers::pi / 180;
constexpr int kDeepest = 4;  // halvings of a triangle towards a spot's edge
// From this many halvings on, the pieces are small enough for a rule of degree 2.
constexpr int kSmall = 2;

using Bary = std::array<double, 3>;

enum class Side { In, Out, Across };

}  // namespace

void CheckSpots(const std::vector<Spot>& spots, bool twoStars) {
    for (std::size_t i = 0; i < spots.size(); ++i) {
        const Spot& s = spots[i];
        const std::string which = "spot " + std::to_string(i + 1) + ": ";
        auto require = [&](bool ok, const std::string& message) {
            if (!ok) throw std::invalid_argument(which + message);
        };
        require(s.star == 1 || s.star == 2, "the star must be 1 or 2");
        require(s.star == 1 || twoStars, "star 2 is not active");
        require(std::isfinite(s.latitude) && std::fabs(s.latitude) <= 90,
                "the latitude must lie between -90 and 90 degrees");
        require(std::isfinite(s.longitude), "the longitude must be a number");
        require(std::isfinite(s.radius) && s.radius > 0 && s.radius <= 90,
                "the radius must lie in (0, 90] degrees");
        require(std::isfinite(s.temperatureFactor) && s.temperatureFactor > 0 &&
                    s.temperatureFactor <= 100,
                "the temperature factor must lie in (0, 100]");
    }
}

Vec3 SpotDirection(const Spot& spot) {
    // The engine's frame has the observer's pole on its -z side (inclinations below 90); star
    // 2 faces its companion along -x.
    const double lat = spot.latitude * kDegree, lon = spot.longitude * kDegree;
    const double side = spot.star == 2 ? -1 : 1;
    return {side * std::cos(lat) * std::cos(lon), side * std::cos(lat) * std::sin(lon),
            -std::sin(lat)};
}

SpotPattern::SpotPattern(const std::vector<Spot>& spots, int star) {
    for (const Spot& s : spots) {
        if (s.star != star) continue;
        const double radius = s.radius * kDegree;
        caps_.push_back({SpotDirection(s), radius, std::cos(radius), s.temperatureFactor});
    }
}

double SpotPattern::Factor(Vec3 d) const {
    for (const Cap& c : caps_)
        if (Dot(d, c.centre) >= c.cosRadius) return c.factor;
    return 1;
}

bool SpotPattern::IntegrateAcrossEdges(const LobeMesh& mesh, std::size_t t,
                                       const Visitor& visit) const {
    const auto& tri = mesh.triangles[t];
    const Vec3 d[3] = {mesh.direction[tri.v[0]], mesh.direction[tri.v[1]],
                       mesh.direction[tri.v[2]]};
    auto direction = [&](const Bary& b) {
        return Normalised(b[0] * d[0] + b[1] * d[1] + b[2] * d[2]);
    };
    // How a piece (its corners' directions) stands to each spot: the piece lies in the cone of
    // its corners, which lies within the cap about their mean direction that holds them all.
    auto sides = [&](const Vec3(&corner)[3], std::vector<Side>& out) {
        const Vec3 centre = Normalised(corner[0] + corner[1] + corner[2]);
        double cosSpread = 1;
        for (const Vec3& c : corner) cosSpread = std::min(cosSpread, Dot(centre, c));
        const double spread = std::acos(std::clamp(cosSpread, -1.0, 1.0));
        out.clear();
        bool across = false;
        for (const Cap& cap : caps_) {
            const double apart = std::acos(std::clamp(Dot(centre, cap.centre), -1.0, 1.0));
            const Side s = apart + spread <= cap.radius   ? Side::In
                           : apart - spread >= cap.radius ? Side::Out
                                                          : Side::Across;
            across = across || s == Side::Across;
            out.push_back(s);
        }
        return across;
    };
    std::vector<Side> top;
    if (!sides(d, top)) return false;

    double guess = 0;
    // The rule on a triangle of barycentric corners, each point's factor given by `factorAt`:
    // seven points of degree 5, or on small pieces three of degree 2.
    auto integrate = [&](const Bary(&c)[3], double refArea, bool small, auto factorAt) {
        static constexpr double kThree[3][3] = {
            {2.0 / 3, 1.0 / 6, 1.0 / 6}, {1.0 / 6, 2.0 / 3, 1.0 / 6}, {1.0 / 6, 1.0 / 6, 2.0 / 3}};
        if (small) {
            for (const auto& w : kThree) {
                Bary b;
                for (int i = 0; i < 3; ++i) b[i] = w[0] * c[0][i] + w[1] * c[1][i] + w[2] * c[2][i];
                const PatchPoint p = SamplePatch(mesh, t, b.data(), guess);
                visit(p, b.data(), refArea * p.density / 3, factorAt(b));
            }
            return;
        }
        for (int k = 0; k < TriangleRule::kPoints; ++k) {
            const auto& w = kDegreeFiveRule.point[k];
            Bary b;
            for (int i = 0; i < 3; ++i) b[i] = w[0] * c[0][i] + w[1] * c[1][i] + w[2] * c[2][i];
            const PatchPoint p = SamplePatch(mesh, t, b.data(), guess);
            visit(p, b.data(), kDegreeFiveRule.weight[k] * refArea * p.density, factorAt(b));
        }
    };
    std::vector<Side> side;
    auto piece = [&](auto&& self, const Bary(&c)[3], int level) -> void {
        const Vec3 corner[3] = {direction(c[0]), direction(c[1]), direction(c[2])};
        // Area in the reference triangle's coordinates (the whole has 1/2).
        const double refArea = 0.5 / std::pow(4.0, level);
        if (!sides(corner, side)) {
            double factor = 1;
            for (std::size_t k = 0; k < caps_.size(); ++k) {
                if (side[k] == Side::In) {
                    factor = caps_[k].factor;
                    break;
                }
            }
            integrate(c, refArea, level >= kSmall, [&](const Bary&) { return factor; });
            return;
        }
        if (level < kDeepest) {
            const Bary m01{0.5 * (c[0][0] + c[1][0]), 0.5 * (c[0][1] + c[1][1]),
                           0.5 * (c[0][2] + c[1][2])};
            const Bary m12{0.5 * (c[1][0] + c[2][0]), 0.5 * (c[1][1] + c[2][1]),
                           0.5 * (c[1][2] + c[2][2])};
            const Bary m20{0.5 * (c[2][0] + c[0][0]), 0.5 * (c[2][1] + c[0][1]),
                           0.5 * (c[2][2] + c[0][2])};
            const Bary a[3] = {c[0], m01, m20}, b[3] = {m01, c[1], m12}, e[3] = {m20, m12, c[2]},
                       f[3] = {m01, m12, m20};
            self(self, a, level + 1);
            self(self, b, level + 1);
            self(self, e, level + 1);
            self(self, f, level + 1);
            return;
        }
        // The smallest piece: cut along the chord of the first spot edge that crosses it, the
        // side of every point from that cut; other spots by the point's own direction.
        std::size_t cut = 0;
        while (side[cut] != Side::Across) ++cut;
        const Cap& cap = caps_[cut];
        double s[3];
        for (int i = 0; i < 3; ++i) s[i] = Dot(corner[i], cap.centre) - cap.cosRadius;
        auto toBary = [&](Point2 u) {
            Bary b;
            for (int i = 0; i < 3; ++i)
                b[i] = c[0][i] + u.x * (c[1][i] - c[0][i]) + u.y * (c[2][i] - c[0][i]);
            return b;
        };
        auto factorAt = [&](const Bary& b, bool inside) {
            const Vec3 dir = direction(b);
            for (std::size_t k = 0; k < caps_.size(); ++k) {
                const bool in = k == cut ? inside : Dot(dir, caps_[k].centre) >= caps_[k].cosRadius;
                if (in) return caps_[k].factor;
            }
            return 1.0;
        };
        // Where the edge crosses the piece's sides, found on the edge itself (not on the chord
        // of the corners' values), and the line through those points.
        auto edgeValue = [&](Point2 u) {
            return Dot(direction(toBary(u)), cap.centre) - cap.cosRadius;
        };
        const Point2 at[3] = {{0, 0}, {1, 0}, {0, 1}};
        Point2 ends[2];
        int found = 0;
        for (int i = 0; i < 3 && found < 2; ++i) {
            const int j = (i + 1) % 3;
            if ((s[i] >= 0) == (s[j] >= 0)) continue;
            auto along = [&](double t) {
                return Point2{at[i].x + t * (at[j].x - at[i].x), at[i].y + t * (at[j].y - at[i].y)};
            };
            double lo = 0, hi = 1, flo = s[i], fhi = s[j];
            double t = flo / (flo - fhi);
            for (int pass = 0; pass < 4; ++pass) {
                const double ft = edgeValue(along(t));
                if ((ft >= 0) == (flo >= 0))
                    lo = t, flo = ft;
                else
                    hi = t, fhi = ft;
                if (flo == fhi) break;
                t = lo + (hi - lo) * flo / (flo - fhi);
            }
            ends[found++] = along(t);
        }
        if (found < 2) {
            // The edge only grazes the piece: each point by its own side.
            const Bary whole[3] = {c[0], c[1], c[2]};
            integrate(whole, refArea, true, [&](const Bary& b) {
                return factorAt(b, Dot(direction(b), cap.centre) >= cap.cosRadius);
            });
            return;
        }
        Affine2 cutLine{0, -(ends[1].y - ends[0].y), ends[1].x - ends[0].x};
        cutLine.c = -(cutLine.gx * ends[0].x + cutLine.gy * ends[0].y);
        int inCorner = 0;
        for (int i = 0; i < 3; ++i)
            if (s[i] >= 0) inCorner = i;
        if (cutLine(at[inCorner]) < 0) cutLine = {-cutLine.c, -cutLine.gx, -cutLine.gy};
        for (int inside = 0; inside < 2; ++inside) {
            const double sign = inside ? 1 : -1;
            const Affine2 f{sign * cutLine.c, sign * cutLine.gx, sign * cutLine.gy};
            SkyPolygon local, part;
            local.push({0, 0});
            local.push({1, 0});
            local.push({0, 1});
            ClipToPositive(local, f, part);
            if (part.size() < 3) continue;
            for (std::size_t i = 1; i + 1 < part.size(); ++i) {
                const Point2 o = part[0], p1 = part[i], p2 = part[i + 1];
                const double localArea =
                    0.5 * std::fabs((p1.x - o.x) * (p2.y - o.y) - (p1.y - o.y) * (p2.x - o.x));
                if (localArea == 0) continue;
                const Bary fan[3] = {toBary(o), toBary(p1), toBary(p2)};
                // A local area of 1/2 is the whole piece.
                integrate(fan, refArea * 2 * localArea, true,
                          [&](const Bary& b) { return factorAt(b, inside == 1); });
            }
        }
        // The edge is an arc, not the chord: the sliver between them (two thirds of the chord
        // times the arc's distance from the chord's middle) moves to the side it lies on.
        const Point2 middle{0.5 * (ends[0].x + ends[1].x), 0.5 * (ends[0].y + ends[1].y)};
        const double chord = std::hypot(ends[1].x - ends[0].x, ends[1].y - ends[0].y);
        const double gradient = std::hypot(cutLine.gx, cutLine.gy);
        // The edge's value changes across the chord at about the rate the corners show.
        double rate = 0;
        for (int i = 0; i < 3; ++i)
            if (std::fabs(cutLine(at[i])) > 1e-12)
                rate = std::max(rate, std::fabs(s[i]) / (std::fabs(cutLine(at[i])) / gradient));
        if (rate > 0 && chord > 0) {
            const Bary b = toBary(middle);
            const double off =
                edgeValue(middle) / rate;  // > 0: the arc bulges out of the spot side
            const double sliver = 2.0 / 3 * chord * off;
            const PatchPoint p = SamplePatch(mesh, t, b.data(), guess);
            const double weight = refArea * 2 * sliver * p.density;
            visit(p, b.data(), weight, factorAt(b, true));
            visit(p, b.data(), -weight, factorAt(b, false));
        }
    };
    const Bary whole[3] = {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
    piece(piece, whole, 0);
    return true;
}

}  // namespace vp::flux
