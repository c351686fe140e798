#include "flux/lobe_mesh.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>

#include "flux/roche_geometry.h"
#include "flux/triangle_rule.h"

namespace vp::flux {
namespace {

constexpr double kPi = std::numbers::pi;

// A direction of the lobe's own polar grid: polar angle theta from the lobe's axis (which
// points at the companion), azimuth phi about it.
Vec3 GridDirection(const Lobe& lobe, double theta, double phi) {
    const double s = std::sin(theta);
    return {lobe.axis * std::cos(theta), s * std::cos(phi), s * std::sin(phi)};
}

// Where the open lobe's surface meets its limiting plane at azimuth phi: the polar angle of
// that point seen from the centre.
double LimitPolarAngle(const Lobe& lobe, double phi) {
    const double dx = std::fabs(lobe.limitX - lobe.centre.x);
    // Distance from the axis at which the plane leaves the envelope: bisection on the
    // potential along the plane, from the axis point (inside) outwards.
    auto inside = [&](double rho) {
        const Vec3 p{lobe.limitX, rho * std::cos(phi), rho * std::sin(phi)};
        return RochePotential(lobe.q, p) > lobe.omegaInner;
    };
    double lo = 0, hi = 0.05;
    while (inside(hi) && hi < 2) {
        lo = hi;
        hi *= 1.5;
    }
    for (int pass = 0; pass < 200 && hi - lo > 1e-15; ++pass) {
        const double mid = 0.5 * (lo + hi);
        (inside(mid) ? lo : hi) = mid;
    }
    return std::atan2(0.5 * (lo + hi), dx);
}

// A point of the curved patch over the direction triangle d0 d1 d2 (det: their triple product)
// at barycentric b: its position, normal and area per unit reference area. A point whose ray
// ends on an open lobe's limiting plane lies in the sliver between the front ring's straight
// edges and the curve the ring follows: no surface, no area there.
PatchPoint PatchAt(const Lobe& lobe, Vec3 d0, Vec3 d1, Vec3 d2, double det, const double b[3],
                   LobeSide side, double& guess) {
    const Vec3 P = b[0] * d0 + b[1] * d1 + b[2] * d2;
    const double len = Norm(P);
    const Vec3 d = (1 / len) * P;
    bool onLimit = false;
    const double r = LobeExtent(lobe, d, guess, side, &onLimit);
    guess = r;
    const Vec3 p = lobe.centre + r * d;
    const Vec3 n = LobeNormal(lobe, p);
    const double cosine = std::max(Dot(n, d), 1e-3);
    // r^2 / cos over the solid angle, which the central projection of the flat direction
    // triangle gives.
    return {p, n, onLimit ? 0.0 : r * r / cosine * det / (len * len * len)};
}

struct Ring {
    std::vector<std::int32_t> node;  // node indices in order of azimuth
    std::vector<double> phi;
};

class MeshBuilder {
  public:
    MeshBuilder(const Lobe& lobe, int rings) : lobe_(lobe), n_(std::max(rings, 2)) {
        mesh_.lobe = lobe;
    }

    LobeMesh Build() {
        const bool open = lobe_.kind == Lobe::Kind::Roche && lobe_.openAtLimit;
        const bool seam = lobe_.kind == Lobe::Kind::Roche && lobe_.omegaInner != lobe_.omegaOuter;
        // The front limit: the pole, or the curve where an open lobe meets its plane.
        const int samples = 64;
        std::vector<double> frontTheta(samples, 0.0);
        if (open) {
            for (int s = 0; s < samples; ++s)
                frontTheta[s] = LimitPolarAngle(lobe_, 2 * kPi * s / samples);
        }
        auto front = [&](double phi) {
            if (!open) return 0.0;
            double u = phi / (2 * kPi) * samples;
            u -= std::floor(u / samples) * samples;
            const int i = static_cast<int>(u) % samples;
            const double f = u - std::floor(u);
            // A curve this smooth is served by linear interpolation between fine samples; the
            // mesh's own vertices then lie exactly on the curve they name.
            return (1 - f) * frontTheta[i] + f * frontTheta[(i + 1) % samples];
        };
        // Rings from the front limit to the back pole, spaced evenly in length along the
        // surface (so that they crowd where the surface turns away from the radial direction,
        // as at a contact envelope's neck); with a seam (the window's contact envelope) one
        // ring lies exactly at theta = pi / 2. A ring's polar angle at azimuth phi is
        // front(phi) + u (end - front(phi)) on its segment.
        struct Segment {
            bool fromFront;         // the segment starts at the front limit (else at pi / 2)
            double end;             // polar angle where it ends
            std::vector<double> u;  // the rings' places, 0 and 1 included
            double length = 0;
        };
        std::vector<Segment> segments;
        if (seam) {
            segments.push_back({true, kPi / 2, {}, 0});
            segments.push_back({false, kPi, {}, 0});
        } else {
            segments.push_back({true, kPi, {}, 0});
        }
        auto startOf = [&](const Segment& s, double phi) {
            return s.fromFront ? front(phi) : kPi / 2;
        };
        const int fine = 400;
        std::vector<std::vector<double>> along(segments.size());
        for (std::size_t s = 0; s < segments.size(); ++s) {
            std::vector<double>& cum = along[s];
            cum.assign(fine + 1, 0.0);
            const double phis[3] = {0, kPi / 4, kPi / 2};
            for (double phi : phis) {
                const double a = startOf(segments[s], phi), b = segments[s].end;
                double guess = 0;
                double prevDensity = 0;
                for (int i = 0; i <= fine; ++i) {
                    const double th = a + (b - a) * i / fine;
                    const Vec3 d = GridDirection(lobe_, th, phi);
                    const double r = LobeExtent(lobe_, d, guess);
                    guess = r;
                    const double cosine =
                        std::max(Dot(LobeNormal(lobe_, lobe_.centre + r * d), d), 0.05);
                    const double density = r / cosine * (b - a);
                    if (i > 0) cum[i] += 0.5 * (density + prevDensity) / fine / 3;
                    prevDensity = density;
                }
            }
            for (int i = 1; i <= fine; ++i) cum[i] += cum[i - 1];
            segments[s].length = cum[fine];
        }
        double totalLength = 0;
        for (const Segment& s : segments) totalLength += s.length;
        const double spacing = totalLength / n_;
        for (std::size_t s = 0; s < segments.size(); ++s) {
            const int count =
                std::max(1, static_cast<int>(std::lround(segments[s].length / spacing)));
            const std::vector<double>& cum = along[s];
            for (int k = 0; k <= count; ++k) {
                const double target = segments[s].length * k / count;
                const auto it = std::lower_bound(cum.begin(), cum.end(), target);
                const int i = std::clamp(static_cast<int>(it - cum.begin()), 1, fine);
                const double f = (target - cum[i - 1]) / std::max(cum[i] - cum[i - 1], 1e-300);
                segments[s].u.push_back((i - 1 + std::clamp(f, 0.0, 1.0)) / fine);
            }
        }
        std::vector<Ring> rings;
        int seamRing = -1;  // index in rings of the seam ring's inner copy
        for (std::size_t s = 0; s < segments.size(); ++s) {
            const Segment& seg = segments[s];
            const bool outer = seam && s == 1;
            for (std::size_t k = 0; k < seg.u.size(); ++k) {
                // The second segment's first ring is the seam, already made by the first.
                if (s > 0 && k == 0) continue;
                const bool first = s == 0 && k == 0,
                           last = s + 1 == segments.size() && k + 1 == seg.u.size();
                Ring ring;
                if (last || (first && !open)) {
                    ring.node.push_back(AddNode(GridDirection(lobe_, last ? kPi : 0.0, 0), outer));
                    ring.phi.push_back(0);
                    rings.push_back(ring);
                    continue;
                }
                const double u = seg.u[k];
                auto theta = [&](double phi) {
                    const double a = startOf(seg, phi);
                    return a + u * (seg.end - a);
                };
                const double th0 = theta(kPi / 2);
                const Vec3 d0 = GridDirection(lobe_, th0, kPi / 2);
                const double rho = LobeExtent(lobe_, d0, 0, SideOf(outer)) * std::sin(th0);
                int count = static_cast<int>(std::lround(2 * kPi * rho / spacing));
                count = std::max(count, first ? 12 : 6);
                const double offset = 0.5 * (rings.size() % 2);
                for (int j = 0; j < count; ++j) {
                    const double phi = 2 * kPi * (j + offset) / count;
                    ring.phi.push_back(phi);
                    // The front ring of an open lobe lies exactly on the curve where the
                    // surface meets the limiting plane.
                    const double th = open && first ? LimitPolarAngle(lobe_, phi) : theta(phi);
                    ring.node.push_back(
                        AddNode(GridDirection(lobe_, th, phi), outer, open && first));
                }
                rings.push_back(ring);
                if (seam && s == 0 && k + 1 == seg.u.size()) {
                    // The seam: the same directions again, on the outer potential.
                    seamRing = static_cast<int>(rings.size()) - 1;
                    Ring outerRing = ring;
                    for (std::size_t j = 0; j < ring.node.size(); ++j)
                        outerRing.node[j] = AddNode(direction_[ring.node[j]], true);
                    rings.push_back(outerRing);
                }
            }
        }
        // Zip neighbouring rings into triangles (the duplicated seam ring is not zipped to
        // its twin).
        for (std::size_t k = 0; k + 1 < rings.size(); ++k) {
            if (seam && static_cast<int>(k) == seamRing) continue;
            Zip(rings[k], rings[k + 1]);
        }
        AddEdgeNodes();
        SolveNodes();
        Integrate();
        mesh_.direction = direction_;
        return std::move(mesh_);
    }

  private:
    std::int32_t AddNode(Vec3 d, bool outer, bool frontRing = false) {
        direction_.push_back(d);
        frontRing_.push_back(frontRing);
        mesh_.outer.push_back(outer ? 1 : 0);
        return static_cast<std::int32_t>(direction_.size() - 1);
    }

    void AddTriangle(std::int32_t a, std::int32_t b, std::int32_t c) {
        const Vec3 da = direction_[a], db = direction_[b], dc = direction_[c];
        if (Dot(Cross(db - da, dc - da), da + db + dc) < 0) std::swap(b, c);
        mesh_.triangles.push_back({{a, b, c}, {-1, -1, -1}});
    }

    void Zip(const Ring& A, const Ring& B) {
        const std::size_t na = A.node.size(), nb = B.node.size();
        if (na == 1) {
            for (std::size_t j = 0; j < nb; ++j)
                AddTriangle(A.node[0], B.node[j], B.node[(j + 1) % nb]);
            return;
        }
        if (nb == 1) {
            for (std::size_t j = 0; j < na; ++j)
                AddTriangle(A.node[j], B.node[0], A.node[(j + 1) % na]);
            return;
        }
        auto next = [](const Ring& r, std::size_t i) {
            return i + 1 < r.phi.size() ? r.phi[i + 1] : r.phi[0] + 2 * kPi;
        };
        std::size_t i = 0, j = 0;
        while (i < na || j < nb) {
            const bool advanceA = j >= nb || (i < na && next(A, i) <= next(B, j));
            if (advanceA) {
                AddTriangle(A.node[i % na], B.node[j % nb], A.node[(i + 1) % na]);
                ++i;
            } else {
                AddTriangle(A.node[i % na], B.node[j % nb], B.node[(j + 1) % nb]);
                ++j;
            }
        }
    }

    void AddEdgeNodes() {
        std::map<std::pair<std::int32_t, std::int32_t>, std::int32_t> edges;
        for (auto& t : mesh_.triangles) {
            for (int e = 0; e < 3; ++e) {
                std::int32_t a = t.v[e], b = t.v[(e + 1) % 3];
                auto key = std::minmax(a, b);
                auto [it, added] = edges.try_emplace({key.first, key.second}, 0);
                if (added) {
                    Vec3 d = Normalised(direction_[a] + direction_[b]);
                    // An edge of an open lobe's front ring: its node on the ring's own curve.
                    if (frontRing_[a] && frontRing_[b]) {
                        const double phi = std::atan2(d.z, d.y);
                        d = GridDirection(lobe_, LimitPolarAngle(lobe_, phi), phi);
                    }
                    it->second = AddNode(d, mesh_.outer[a] != 0);
                }
                t.m[e] = it->second;
            }
        }
    }

    LobeSide SideOf(bool outer) const { return outer ? LobeSide::Outer : LobeSide::Inner; }

    void SolveNodes() {
        const std::size_t count = direction_.size();
        mesh_.position.resize(count);
        mesh_.normal.resize(count);
        double guess = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const Vec3 d = direction_[i];
            const double r = LobeExtent(lobe_, d, guess, SideOf(mesh_.outer[i] != 0));
            guess = r;
            mesh_.position[i] = lobe_.centre + r * d;
            mesh_.normal[i] = LobeNormal(lobe_, mesh_.position[i]);
            mesh_.boundRadius = std::max(mesh_.boundRadius, r);
        }
        for (int a = 0; a < 3; ++a) {
            mesh_.positionAxis[a].resize(count);
            mesh_.normalAxis[a].resize(count);
        }
        for (std::size_t i = 0; i < count; ++i) {
            const Vec3 p = mesh_.position[i], n = mesh_.normal[i];
            mesh_.positionAxis[0][i] = p.x, mesh_.positionAxis[1][i] = p.y;
            mesh_.positionAxis[2][i] = p.z;
            mesh_.normalAxis[0][i] = n.x, mesh_.normalAxis[1][i] = n.y,
            mesh_.normalAxis[2][i] = n.z;
        }
    }

    PatchPoint Sample(Vec3 d0, Vec3 d1, Vec3 d2, double det, const double b[3], bool outer,
                      double& guess) const {
        return PatchAt(lobe_, d0, d1, d2, det, b, SideOf(outer), guess);
    }

    void AddMoments(std::size_t t, Vec3 p, Vec3 n, double w) {
        const std::size_t nt = mesh_.triangles.size();
        mesh_.area[t] += w;
        AddPointMoments(nt, t, n, w, mesh_.moment.data());
        AddPointLever(nt, t, p - lobe_.centre, n, w, mesh_.lever.data());
    }

    void Integrate() {
        const TriangleRule& rule = kDegreeFiveRule;
        const std::size_t nt = mesh_.triangles.size();
        mesh_.area.assign(nt, 0);
        mesh_.moment.assign(LobeMesh::kMomentComponents * nt, 0.0);
        mesh_.lever.assign(LobeMesh::kLeverComponents * nt, 0.0);
        for (int k = 0; k < 3; ++k) mesh_.corner[k].resize(nt);
        mesh_.quadPosition.resize(nt * kQuadPoints);
        mesh_.quadNormal.resize(nt * kQuadPoints);
        mesh_.quadWeight.resize(nt * kQuadPoints);
        mesh_.halfShare.clear();
        for (std::size_t t = 0; t < nt; ++t) {
            const auto& tri = mesh_.triangles[t];
            for (int k = 0; k < 3; ++k) mesh_.corner[k][t] = tri.v[k];
            const Vec3 d0 = direction_[tri.v[0]], d1 = direction_[tri.v[1]],
                       d2 = direction_[tri.v[2]];
            const double det = std::fabs(Dot(d0, Cross(d1, d2)));
            const bool outer = mesh_.outer[tri.v[0]] != 0;
            double radius[3];
            for (int k = 0; k < 3; ++k) radius[k] = Norm(mesh_.position[tri.v[k]] - lobe_.centre);
            // Each half of the flat triangle between its corners and edge nodes, as a share of
            // the four.
            {
                static constexpr int kHalf[4][3] = {{0, 3, 5}, {3, 1, 4}, {5, 4, 2}, {3, 4, 5}};
                const std::int32_t node[6] = {tri.v[0], tri.v[1], tri.v[2],
                                              tri.m[0], tri.m[1], tri.m[2]};
                std::array<double, 4> share{};
                double sum = 0;
                for (int h = 0; h < 4; ++h) {
                    const Vec3 a = mesh_.position[node[kHalf[h][0]]];
                    share[h] = Norm(Cross(mesh_.position[node[kHalf[h][1]]] - a,
                                          mesh_.position[node[kHalf[h][2]]] - a));
                    sum += share[h];
                }
                for (double& s : share) s = sum > 0 ? s / sum : 0.25;
                mesh_.halfShare.push_back(share);
            }
            double guess = 0;
            for (int k = 0; k < kQuadPoints; ++k) {
                const auto& bk = rule.point[k];
                guess = bk[0] * radius[0] + bk[1] * radius[1] + bk[2] * radius[2];
                const PatchPoint s = Sample(d0, d1, d2, det, rule.point[k].data(), outer, guess);
                const std::size_t q = t * kQuadPoints + k;
                mesh_.quadPosition[q] = s.p;
                mesh_.quadNormal[q] = s.n;
                mesh_.quadWeight[q] = 0.5 * rule.weight[k] * s.density;
            }
            int onFront = 0;
            for (int k = 0; k < 3; ++k) onFront += frontRing_[tri.v[k]];
            if (onFront < 2) {
                for (int k = 0; k < kQuadPoints; ++k) {
                    const std::size_t q = t * kQuadPoints + k;
                    AddMoments(t, mesh_.quadPosition[q], mesh_.quadNormal[q], mesh_.quadWeight[q]);
                }
                continue;
            }
            // Along the front ring the patch ends at the sliver's curved border: the rule on
            // many small triangles follows it.
            const int split = 8;
            for (int i = 0; i < split; ++i) {
                for (int j = 0; j + i < split; ++j) {
                    for (int up = 0; up < 2; ++up) {
                        if (up && i + j + 1 >= split) continue;
                        double corners[3][2] = {
                            {1.0 * i, 1.0 * j}, {i + 1.0, 1.0 * j}, {1.0 * i, j + 1.0}};
                        if (up) {
                            corners[0][0] = i + 1.0, corners[0][1] = 1.0 * j;
                            corners[1][0] = i + 1.0, corners[1][1] = j + 1.0;
                            corners[2][0] = 1.0 * i, corners[2][1] = j + 1.0;
                        }
                        for (int k = 0; k < kQuadPoints; ++k) {
                            const auto& c = rule.point[k];
                            const double u = (c[0] * corners[0][0] + c[1] * corners[1][0] +
                                              c[2] * corners[2][0]) /
                                             split;
                            const double v = (c[0] * corners[0][1] + c[1] * corners[1][1] +
                                              c[2] * corners[2][1]) /
                                             split;
                            const double b[3] = {1 - u - v, u, v};
                            guess = b[0] * radius[0] + b[1] * radius[1] + b[2] * radius[2];
                            const PatchPoint s = Sample(d0, d1, d2, det, b, outer, guess);
                            AddMoments(t, s.p, s.n,
                                       0.5 * rule.weight[k] * s.density / (split * split));
                        }
                    }
                }
            }
        }
    }

    const Lobe& lobe_;
    int n_;
    LobeMesh mesh_;
    std::vector<Vec3> direction_;
    std::vector<bool> frontRing_;  // the node lies on an open lobe's front ring
};

}  // namespace

PatchPoint SamplePatch(const LobeMesh& mesh, std::size_t t, const double b[3], double& guess) {
    const auto& tri = mesh.triangles[t];
    const Vec3 d0 = mesh.direction[tri.v[0]], d1 = mesh.direction[tri.v[1]],
               d2 = mesh.direction[tri.v[2]];
    const double det = std::fabs(Dot(d0, Cross(d1, d2)));
    if (!(guess > 0)) {
        guess = 0;
        for (int k = 0; k < 3; ++k)
            guess += b[k] * Norm(mesh.position[tri.v[k]] - mesh.lobe.centre);
    }
    const LobeSide side = mesh.outer[tri.v[0]] ? LobeSide::Outer : LobeSide::Inner;
    return PatchAt(mesh.lobe, d0, d1, d2, det, b, side, guess);
}

LobeMesh BuildLobeMesh(const Lobe& lobe, int rings) {
    return MeshBuilder(lobe, rings).Build();
}

}  // namespace vp::flux
