#include "flux/flux_model.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <numbers>
#include <stdexcept>
#include <string>

#include "flux/facing_sum.h"
#include "flux/hidden_share.h"
#include "flux/triangle_rule.h"

namespace vp::flux {

DirectionPowers Powers(Vec3 w) {
    const double x = w.x, y = w.y, z = w.z;
    return {{x, y, z},
            {x * x, 2 * x * y, 2 * x * z, y * y, 2 * y * z, z * z},
            {x * x * x, 3 * x * x * y, 3 * x * x * z, 3 * x * y * y, 6 * x * y * z, 3 * x * z * z,
             y * y * y, 3 * y * y * z, 3 * y * z * z, z * z * z}};
}

namespace {

constexpr double kPi = std::numbers::pi;

// The integrals of mu^k (k = 0..3) over the part of a triangle where the linear mu is
// positive, divided by the triangle's area.
std::array<double, 4> PositivePartMeans(double m0, double m1, double m2) {
    const double m[3] = {m0, m1, m2};
    int positive = 0;
    for (double v : m) positive += v > 0;
    if (positive == 3) return TrianglePowerMeans(m0, m1, m2);
    if (positive == 0) return {};
    // The corner alone on its side of mu = 0 cuts off a triangle with that corner's value and
    // zero at its other two corners.
    int lone = 0;
    for (int i = 0; i < 3; ++i)
        if ((m[i] > 0) == (positive == 1)) lone = i;
    const double a = m[lone], b = m[(lone + 1) % 3], c = m[(lone + 2) % 3];
    const double share = (a / (a - b)) * (a / (a - c));
    const auto corner = TrianglePowerMeans(a, 0, 0);
    std::array<double, 4> out;
    if (positive == 1) {
        for (int k = 0; k < 4; ++k) out[k] = share * corner[k];
    } else {
        const auto whole = TrianglePowerMeans(m0, m1, m2);
        for (int k = 0; k < 4; ++k) out[k] = whole[k] - share * corner[k];
    }
    return out;
}

// The integrals of mu^k (k = 0..3) over the part of a triangle facing the observer, divided
// by its area: over its four halves, mu linear on each between the corners and edge nodes,
// each half weighed by its share of the flat triangle's area.
std::array<double, 4> HorizonMeans(const LobeMesh& m, std::size_t t,
                                   const std::vector<double>& mu) {
    static constexpr int kChild[4][3] = {{0, 3, 5}, {3, 1, 4}, {5, 4, 2}, {3, 4, 5}};
    const auto& tri = m.triangles[t];
    const std::int32_t node[6] = {tri.v[0], tri.v[1], tri.v[2], tri.m[0], tri.m[1], tri.m[2]};
    std::array<double, 4> sum{};
    for (int h = 0; h < 4; ++h) {
        const auto& c = kChild[h];
        const auto part = PositivePartMeans(mu[node[c[0]]], mu[node[c[1]]], mu[node[c[2]]]);
        for (int k = 0; k < 4; ++k) sum[k] += m.halfShare[t][h] * part[k];
    }
    return sum;
}

// The integral of g over the polygon, by the seven-point rule on a fan of triangles.
template <typename G>
double FanIntegral(const SkyPolygon& poly, G g) {
    double sum = 0;
    const std::size_t n = poly.size();
    if (n < 3) return 0;
    const Point2 o = poly[0];
    for (std::size_t i = 1; i + 1 < n; ++i) {
        const Point2 a = poly[i], b = poly[i + 1];
        const double area = 0.5 * ((a.x - o.x) * (b.y - o.y) - (a.y - o.y) * (b.x - o.x));
        if (area == 0) continue;
        double s = 0;
        for (int q = 0; q < TriangleRule::kPoints; ++q) {
            const auto& c = kDegreeFiveRule.point[q];
            const Point2 p{c[0] * o.x + c[1] * a.x + c[2] * b.x,
                           c[0] * o.y + c[1] * a.y + c[2] * b.y};
            s += kDegreeFiveRule.weight[q] * g(p);
        }
        sum += area * s;
    }
    return sum;
}

// The light of a triangle's finer points that face w, each weighted by arm(its offset from
// the centre) when given.
double FineLight(const LobeBrightness& br, std::size_t t, Vec3 w, const LimbDarkening& law,
                 const std::function<double(Vec3)>* arm = nullptr, Vec3 centre = {}) {
    double s = 0;
    for (std::uint32_t k = br.fineBegin[t]; k < br.fineBegin[t + 1]; ++k) {
        const double c = Dot(br.fineNormal[k], w);
        if (c <= 0) continue;
        const double light = br.fineLight[k] * law(c) * c;
        s += arm ? light * (*arm)(br.finePosition[k] - centre) : light;
    }
    return s;
}

}  // namespace

FluxModel::FluxModel(std::vector<LobeMesh> lobes, std::vector<BandLight> bands)
    : lobes_(std::move(lobes)), bands_(std::move(bands)) {
    if (bands_.size() > kMaxBands)
        throw std::invalid_argument("at most " + std::to_string(kMaxBands) + " bands at once");
    for (const auto& band : bands_)
        for (const auto& law : band.law)
            if (law.law == LimbDarkening::Law::Quadratic) polyDegree_ = 2;
    weighted_.resize(bands_.size());
    weightedLever_.resize(bands_.size());
    for (std::size_t b = 0; b < bands_.size(); ++b) {
        weighted_[b].resize(lobes_.size());
        weightedLever_[b].resize(lobes_.size());
        for (std::size_t l = 0; l < lobes_.size(); ++l) {
            auto& br = bands_[b].brightness[l];
            if (br.uniform || !bands_[b].law[l].IsPolynomial()) continue;
            const LobeMesh& m = lobes_[l];
            const std::size_t nt = m.triangles.size();
            std::vector<double>& wm = weighted_[b][l];
            std::vector<double>& wl = weightedLever_[b][l];
            if (!br.moment.empty() && !br.lever.empty()) {
                wm = std::move(br.moment);
                wl = std::move(br.lever);
                br.moment.clear();
                br.lever.clear();
                continue;
            }
            wm.assign(LobeMesh::kMomentComponents * nt, 0.0);
            wl.assign(LobeMesh::kLeverComponents * nt, 0.0);
            for (std::size_t t = 0; t < nt; ++t) {
                for (int k = 0; k < kQuadPoints; ++k) {
                    const std::size_t q = t * kQuadPoints + k;
                    const double wq = m.quadWeight[q] * br.quad[q];
                    AddPointMoments(nt, t, m.quadNormal[q], wq, wm.data());
                    AddPointLever(nt, t, m.quadPosition[q] - m.lobe.centre, m.quadNormal[q], wq,
                                  wl.data());
                }
            }
        }
    }
    for (const LobeMesh& m : lobes_) {
        double edge = 0, sag = 0;
        for (const auto& t : m.triangles)
            for (int e = 0; e < 3; ++e) {
                const Vec3 a = m.position[t.v[e]], b = m.position[t.v[(e + 1) % 3]];
                edge = std::max(edge, Norm(a - b));
                sag = std::max(sag, Norm(m.position[t.m[e]] - 0.5 * (a + b)));
            }
        maxEdge_.push_back(edge);
        maxSag_.push_back(sag);
    }
}

double FluxModel::Brightness(std::size_t b, std::size_t l, std::size_t t) const {
    const LobeBrightness& br = bands_[b].brightness[l];
    return br.uniform ? br.value : br.quad[t * kQuadPoints];
}

void FluxModel::Flux(Vec3 w, std::span<double> out, Workspace& work) const {
    Run(w, Shifts{}, out, {}, {}, work);
}

void FluxModel::Flux(Vec3 w, const Shifts& shift, std::span<double> out, Workspace& work) const {
    Run(w, shift, out, {}, {}, work);
}

void FluxModel::LightAndLever(Vec3 w, const Shifts& shift, std::span<double> light,
                              std::span<double> lever, Workspace& work) const {
    std::array<double, kMaxBands> total{};
    Run(w, shift, std::span<double>(total.data(), bands_.size()), light, lever, work);
}

void FluxModel::Run(Vec3 w, const Shifts& shift, std::span<double> out, std::span<double> light,
                    std::span<double> lever, Workspace& work) const {
    std::fill(out.begin(), out.end(), 0.0);
    const DirectionPowers P = Powers(w);
    const std::size_t count = lobes_.size();
    const bool levers = !lever.empty();
    const Lever arm{w.y, -w.x};
    const Lever* leverOf = levers ? &arm : nullptr;
    work.mu.resize(count);
    work.state.resize(count);
    work.weight.resize(count);
    for (std::size_t l = 0; l < count; ++l) Face(l, w, work);
    work.partial.clear();
    work.seen.clear();
    work.leverLost.clear();
    // Every slot is -1 between directions: only the entries of partial triangles are set, and
    // they are reset at the end.
    work.slot.resize(count);
    for (std::size_t l = 0; l < count; ++l)
        if (work.slot[l].size() != lobes_[l].triangles.size())
            work.slot[l].assign(lobes_[l].triangles.size(), -1);
    if (count == 2) {
        // The nearer lobe is the one whose centre lies further towards the observer.
        const Vec3 c0 = lobes_[0].lobe.centre + shift[0], c1 = lobes_[1].lobe.centre + shift[1];
        const std::size_t front = Dot(c1 - c0, w) > 0;
        const std::size_t back = 1 - front;
        const Vec3 apart = (front ? c0 : c1) - (front ? c1 : c0);
        const Vec3 across = apart - Dot(apart, w) * w;
        if (Norm(across) < lobes_[front].boundRadius + lobes_[back].boundRadius)
            Occlude(back, lobes_[front].lobe, lobes_[front].boundRadius,
                    shift[front] - shift[back], Reach{}, w, leverOf, work);
        SelfOcclude(front, w, leverOf, work);
        SelfOcclude(back, w, leverOf, work);
    }
    const std::size_t nb = bands_.size();
    if (levers) {
        std::fill(light.begin(), light.end(), 0.0);
        std::fill(lever.begin(), lever.end(), 0.0);
    }
    for (std::size_t l = 0; l < count; ++l) {
        if (levers)
            LobeLight(l, w, P, light.subspan(l * nb, nb), work, &arm, lever.subspan(l * nb, nb));
        else
            LobeLight(l, w, P, out, work);
    }
    // What the partly hidden triangles still show.
    std::vector<double>& seenLight = work.light;
    seenLight.resize(nb);
    std::vector<double>& arms = work.arms;
    arms.resize(nb);
    for (std::size_t k = 0; k < work.partial.size(); ++k) {
        const Workspace::Partial& p = work.partial[k];
        if (work.state[p.lobe][p.triangle] == kHidden) continue;
        TriangleLight(p.lobe, p.triangle, P, work.mu[p.lobe], seenLight);
        if (!levers) {
            for (std::size_t b = 0; b < nb; ++b) out[b] += seenLight[b] * work.seen[k * nb + b];
            continue;
        }
        TriangleLever(p.lobe, p.triangle, P, work.mu[p.lobe], arm, arms);
        for (std::size_t b = 0; b < nb; ++b) {
            const LeverLoss& lost = work.leverLost[k * nb + b];
            light[p.lobe * nb + b] += seenLight[b] * work.seen[k * nb + b];
            lever[p.lobe * nb + b] += arms[b] * (1 - lost.ofLever) - seenLight[b] * lost.ofLight;
        }
    }
    for (const Workspace::Partial& p : work.partial) work.slot[p.lobe][p.triangle] = -1;
    if (levers)
        for (std::size_t l = 0; l < count; ++l)
            for (std::size_t b = 0; b < nb; ++b) out[b] += light[l * nb + b];
}

void FluxModel::SelfOcclude(std::size_t l, Vec3 w, const Lever* lever, Workspace& work) const {
    // A half of a contact envelope is not convex: the star hides part of its own neck. What
    // lies in front of a plane at right angles to the line of sight can only hide what lies
    // behind it, and exactly where its disc covers it; so the half is cut by planes through
    // the star's centre and behind it, and every triangle of the neck's side is tried against
    // the part in front of the nearest plane before it.
    const LobeMesh& m = lobes_[l];
    if (!m.lobe.openAtLimit) return;
    const Vec3 neckward{m.lobe.axis, 0, 0};
    // Only a star whose neck points away from the observer hides some of it, and only while
    // the line of sight runs within some 60 degrees of the line of centres.
    const double along = -Dot(neckward, w);
    if (along < 0.5) return;
    const double spacing = kSelfPlaneSpacing * m.boundRadius;
    for (int k = 0; k < kSelfPlanes; ++k) {
        Lobe part = m.lobe;
        part.cut = w;
        part.cutOffset = k * spacing;
        Reach reach;
        reach.beyond = -1 * w;
        reach.offset = k * spacing;
        if (k + 1 < kSelfPlanes) reach.nextOffset = (k + 1) * spacing;
        reach.towards = neckward;
        Occlude(l, part, m.boundRadius, Vec3{}, reach, w, lever, work);
    }
}

void FluxModel::Face(std::size_t l, Vec3 w, Workspace& work) const {
    const LobeMesh& m = lobes_[l];
    const std::size_t nodes = m.normal.size(), nt = m.triangles.size();
    std::vector<double>& mu = work.mu[l];
    mu.resize(nodes);
    work.facing.resize(nodes);
    CosinesTowards(nodes, m.normalAxis[0].data(), m.normalAxis[1].data(), m.normalAxis[2].data(),
                   w.x, w.y, w.z, mu.data(), work.facing.data());
    work.state[l].resize(nt);
    work.weight[l].resize(nt);
    FacingTriangles(nt, m.corner[0].data(), m.corner[1].data(), m.corner[2].data(),
                    work.facing.data(), work.weight[l].data(), work.state[l].data());
}

void FluxModel::LobeLight(std::size_t l, Vec3 w, const DirectionPowers& P, std::span<double> out,
                          Workspace& work, const Lever* lever, std::span<double> leverOut) const {
    AddVisibleLight(l, w, P, work, nullptr, out);
    if (lever != nullptr) AddVisibleLight(l, w, P, work, lever, leverOut);
}

void FluxModel::AddVisibleLight(std::size_t l, Vec3 w, const DirectionPowers& P, Workspace& work,
                                const Lever* lever, std::span<double> out) const {
    const LobeMesh& m = lobes_[l];
    const std::vector<double>& weight = work.weight[l];
    const std::size_t nb = bands_.size();
    const std::size_t nt = m.triangles.size();
    const Vec3 centre = m.lobe.centre;
    // The fully visible triangles, summed over the mesh in one pass per moment component; a
    // lever's moments are those weighted by the offsets along x, then along y.
    const int components = polyDegree_ > 1 ? LobeMesh::kMomentComponents : 9;
    auto facingSums = [&](const std::vector<double>& moments) {
        std::array<double, LobeMesh::kMomentComponents> s{};
        SumWeightedMoments(nt, weight.data(), moments.data(), components, s.data());
        if (lever != nullptr) {
            std::array<double, LobeMesh::kMomentComponents> sy{};
            SumWeightedMoments(nt, weight.data(),
                               moments.data() + LobeMesh::kMomentComponents * nt, components,
                               sy.data());
            for (int i = 0; i < components; ++i) s[i] = lever->gx * s[i] + lever->gy * sy[i];
        }
        double g1 = 0, g2 = 0, g3 = 0;
        for (int i = 0; i < 3; ++i) g1 += s[i] * P.p1[i];
        for (int i = 0; i < 6; ++i) g2 += s[3 + i] * P.p2[i];
        if (components > 9)
            for (int i = 0; i < 10; ++i) g3 += s[9 + i] * P.p3[i];
        return std::array<double, 3>{g1, g2, g3};
    };
    std::function<double(Vec3)> arm;
    if (lever != nullptr) arm = *lever;
    std::array<double, 3> geometric{};
    bool geometricReady = false;
    for (std::size_t b = 0; b < nb; ++b) {
        const auto& law = bands_[b].law[l];
        const auto& br = bands_[b].brightness[l];
        if (law.IsPolynomial()) {
            const auto c = law.Coefficients();
            if (br.uniform) {
                if (!geometricReady)
                    geometric = facingSums(lever ? m.lever : m.moment), geometricReady = true;
                out[b] +=
                    br.value * (c[0] * geometric[0] + c[1] * geometric[1] + c[2] * geometric[2]);
            } else {
                const auto g = facingSums(lever ? weightedLever_[b][l] : weighted_[b][l]);
                out[b] += c[0] * g[0] + c[1] * g[1] + c[2] * g[2];
            }
            continue;
        }
        // Other laws: the quadrature points of the fully visible triangles (or their finer
        // points).
        double s = 0;
        for (std::size_t t = 0; t < nt; ++t) {
            if (weight[t] == 0) continue;
            if (br.HasFine(t)) {
                s += lever ? FineLight(br, t, w, law, &arm, centre) : FineLight(br, t, w, law);
                continue;
            }
            for (int k = 0; k < kQuadPoints; ++k) {
                const std::size_t q = t * kQuadPoints + k;
                const double cq = Dot(m.quadNormal[q], w);
                if (cq <= 0) continue;
                const double light =
                    m.quadWeight[q] * (br.uniform ? br.value : br.quad[q]) * law(cq) * cq;
                s += lever ? light * (*lever)(m.quadPosition[q] - centre) : light;
            }
        }
        out[b] += s;
    }
    // Triangles across the horizon that nothing hides.
    std::vector<double>& light = work.light;
    light.resize(nb);
    for (std::size_t t = 0; t < nt; ++t) {
        if (work.state[l][t] != kAcrossHorizon) continue;
        if (lever != nullptr)
            TriangleLever(l, t, P, work.mu[l], *lever, light);
        else
            TriangleLight(l, t, P, work.mu[l], light);
        for (std::size_t b = 0; b < nb; ++b) out[b] += light[b];
    }
}

namespace {

// The integrals of mu^k l (k = 0..3) over a triangle, divided by its area, for mu and l linear
// with the given corner values (the seven-point rule is exact to the fifth degree).
std::array<double, 4> LinearProductMeans(const double m[3], const double l[3]) {
    std::array<double, 4> out{};
    for (int q = 0; q < TriangleRule::kPoints; ++q) {
        const auto& b = kDegreeFiveRule.point[q];
        const double mu = b[0] * m[0] + b[1] * m[1] + b[2] * m[2];
        const double arm = b[0] * l[0] + b[1] * l[1] + b[2] * l[2];
        double power = kDegreeFiveRule.weight[q] * arm;
        for (int k = 0; k < 4; ++k, power *= mu) out[k] += power;
    }
    return out;
}

// The same over the part of the triangle where mu is positive.
std::array<double, 4> PositivePartLeverMeans(const double m[3], const double l[3]) {
    int positive = 0;
    for (int i = 0; i < 3; ++i) positive += m[i] > 0;
    if (positive == 3) return LinearProductMeans(m, l);
    if (positive == 0) return {};
    int lone = 0;
    for (int i = 0; i < 3; ++i)
        if ((m[i] > 0) == (positive == 1)) lone = i;
    const int i1 = (lone + 1) % 3, i2 = (lone + 2) % 3;
    const double tb = m[lone] / (m[lone] - m[i1]), tc = m[lone] / (m[lone] - m[i2]);
    const double cm[3] = {m[lone], 0, 0};
    const double cl[3] = {l[lone], l[lone] + tb * (l[i1] - l[lone]),
                          l[lone] + tc * (l[i2] - l[lone])};
    const auto corner = LinearProductMeans(cm, cl);
    const double share = tb * tc;
    std::array<double, 4> out;
    if (positive == 1) {
        for (int k = 0; k < 4; ++k) out[k] = share * corner[k];
    } else {
        const auto whole = LinearProductMeans(m, l);
        for (int k = 0; k < 4; ++k) out[k] = whole[k] - share * corner[k];
    }
    return out;
}

// The light of a law that is a polynomial in mu, from a triangle's moments (component-major
// with nt triangles): B (c0 <n.w> + c1 <(n.w)^2> + c2 <(n.w)^3>).
double PolynomialLight(const double* moments, std::size_t nt, std::size_t t,
                       const DirectionPowers& P, const std::array<double, 3>& c, int degree) {
    double s1 = 0, s2 = 0, s3 = 0;
    for (int i = 0; i < 3; ++i) s1 += moments[i * nt + t] * P.p1[i];
    for (int i = 0; i < 6; ++i) s2 += moments[(3 + i) * nt + t] * P.p2[i];
    if (degree > 1)
        for (int i = 0; i < 10; ++i) s3 += moments[(9 + i) * nt + t] * P.p3[i];
    return c[0] * s1 + c[1] * s2 + c[2] * s3;
}

// The part of a triangle across the horizon that faces the observer, for its lever: mu and the
// lever taken quadratic over the patch through its six nodes, and linear on each of 16 pieces
// (visit(mu, lever) with the values at a piece's corners; each piece is 1/16 of the area).
// The lever of a star is a small difference of large contributions from its two limbs: this
// follows the limb more closely than the four halves the light takes.
template <typename Visit>
void HorizonPieces(const std::int32_t (&node)[6], const std::vector<double>& mu, const LobeMesh& m,
                   const std::function<double(Vec3)>& arm, Visit visit) {
    constexpr int kSplit = 4;
    double nodeMu[6], nodeArm[6];
    for (int k = 0; k < 6; ++k) {
        nodeMu[k] = mu[node[k]];
        nodeArm[k] = arm(m.position[node[k]] - m.lobe.centre);
    }
    auto quadratic = [](const double* v, double u, double w) {
        const double b0 = 1 - u - w;
        return v[0] * b0 * (2 * b0 - 1) + v[1] * u * (2 * u - 1) + v[2] * w * (2 * w - 1) +
               4 * (v[3] * b0 * u + v[4] * u * w + v[5] * w * b0);
    };
    for (int i = 0; i < kSplit; ++i) {
        for (int j = 0; i + j < kSplit; ++j) {
            for (int up = 0; up < 2; ++up) {
                if (up && i + j + 1 >= kSplit) continue;
                const double corner[3][2] = {
                    {i + 1.0 * up, j + 0.0}, {i + 1.0, j + 1.0 * up}, {i + 0.0, j + 1.0}};
                double cm[3], cl[3];
                for (int k = 0; k < 3; ++k) {
                    const double u = corner[k][0] / kSplit, w = corner[k][1] / kSplit;
                    cm[k] = quadratic(nodeMu, u, w);
                    cl[k] = quadratic(nodeArm, u, w);
                }
                visit(cm, cl);
            }
        }
    }
}

}  // namespace

void FluxModel::TriangleLight(std::size_t l, std::size_t t, const DirectionPowers& P,
                              const std::vector<double>& mu, std::vector<double>& out) const {
    const LobeMesh& m = lobes_[l];
    const auto& tri = m.triangles[t];
    const std::size_t nt = m.triangles.size();
    const double m0 = mu[tri.v[0]], m1 = mu[tri.v[1]], m2 = mu[tri.v[2]];
    const bool full = m0 > 0 && m1 > 0 && m2 > 0;
    const Vec3 w{P.p1[0], P.p1[1], P.p1[2]};
    std::array<double, 4> means{};
    bool meansReady = false;
    for (std::size_t b = 0; b < bands_.size(); ++b) {
        const auto& law = bands_[b].law[l];
        const auto& br = bands_[b].brightness[l];
        if (!(full && law.IsPolynomial()) && br.HasFine(t)) {
            out[b] = FineLight(br, t, w, law);
            continue;
        }
        if (full && law.IsPolynomial()) {
            const auto c = law.Coefficients();
            out[b] = br.uniform
                         ? br.value * PolynomialLight(m.moment.data(), nt, t, P, c, polyDegree_)
                         : PolynomialLight(weighted_[b][l].data(), nt, t, P, c, polyDegree_);
        } else if (full) {
            double s = 0;
            for (int k = 0; k < kQuadPoints; ++k) {
                const std::size_t q = t * kQuadPoints + k;
                const double c = Dot(m.quadNormal[q], w);
                if (c > 0) s += m.quadWeight[q] * (br.uniform ? br.value : br.quad[q]) * law(c) * c;
            }
            out[b] = s;
        } else if (law.IsPolynomial()) {
            // Across the horizon: mu taken linear over each of the triangle's four halves (its
            // corners and edge nodes), its positive part integrated.
            if (!meansReady) means = HorizonMeans(m, t, mu), meansReady = true;
            const auto c = law.Coefficients();
            out[b] = m.area[t] * Brightness(b, l, t) *
                     (c[0] * means[1] + c[1] * means[2] + c[2] * means[3]);
        } else {
            // The same over the four halves for a law that is no polynomial.
            static constexpr int kHalf[4][3] = {{0, 3, 5}, {3, 1, 4}, {5, 4, 2}, {3, 4, 5}};
            const std::int32_t node[6] = {tri.v[0], tri.v[1], tri.v[2],
                                          tri.m[0], tri.m[1], tri.m[2]};
            double sum = 0;
            for (int h = 0; h < 4; ++h) {
                const double a = mu[node[kHalf[h][0]]], b1 = mu[node[kHalf[h][1]]],
                             c = mu[node[kHalf[h][2]]];
                SkyPolygon ref, part;
                ref.push({0, 0});
                ref.push({1, 0});
                ref.push({0, 1});
                const Affine2 lin{a, b1 - a, c - a};
                ClipToPositive(ref, lin, part);
                sum += m.halfShare[t][h] * 2 * FanIntegral(part, [&](Point2 p) {
                           const double cosine = std::max(lin(p), 0.0);
                           return law(cosine) * cosine;
                       });
            }
            out[b] = m.area[t] * Brightness(b, l, t) * sum;
        }
    }
}

void FluxModel::TriangleLever(std::size_t l, std::size_t t, const DirectionPowers& P,
                              const std::vector<double>& mu, const Lever& lever,
                              std::vector<double>& out) const {
    const LobeMesh& m = lobes_[l];
    const auto& tri = m.triangles[t];
    const std::size_t nt = m.triangles.size();
    const std::int32_t node[6] = {tri.v[0], tri.v[1], tri.v[2], tri.m[0], tri.m[1], tri.m[2]};
    const bool full = mu[tri.v[0]] > 0 && mu[tri.v[1]] > 0 && mu[tri.v[2]] > 0;
    const Vec3 w{P.p1[0], P.p1[1], P.p1[2]};
    const Vec3 centre = m.lobe.centre;
    std::array<double, 4> means{};
    bool meansReady = false;
    const std::function<double(Vec3)> arm = lever;
    for (std::size_t b = 0; b < bands_.size(); ++b) {
        const auto& law = bands_[b].law[l];
        const auto& br = bands_[b].brightness[l];
        if (!(full && law.IsPolynomial()) && br.HasFine(t)) {
            out[b] = FineLight(br, t, w, law, &arm, centre);
            continue;
        }
        if (full && law.IsPolynomial()) {
            const auto c = law.Coefficients();
            const double* moments = br.uniform ? m.lever.data() : weightedLever_[b][l].data();
            const double sx = PolynomialLight(moments, nt, t, P, c, polyDegree_);
            const double sy = PolynomialLight(moments + LobeMesh::kMomentComponents * nt, nt, t, P,
                                              c, polyDegree_);
            out[b] = (br.uniform ? br.value : 1.0) * (lever.gx * sx + lever.gy * sy);
        } else if (full) {
            double s = 0;
            for (int k = 0; k < kQuadPoints; ++k) {
                const std::size_t q = t * kQuadPoints + k;
                const double c = Dot(m.quadNormal[q], w);
                if (c > 0)
                    s += m.quadWeight[q] * (br.uniform ? br.value : br.quad[q]) * law(c) * c *
                         lever(m.quadPosition[q] - centre);
            }
            out[b] = s;
        } else if (law.IsPolynomial()) {
            if (!meansReady) {
                means = {};
                HorizonPieces(node, mu, m, lever, [&](const double* cm, const double* cl) {
                    const auto part = PositivePartLeverMeans(cm, cl);
                    for (int k = 0; k < 4; ++k) means[k] += part[k] / 16;
                });
                meansReady = true;
            }
            const auto c = law.Coefficients();
            out[b] = m.area[t] * Brightness(b, l, t) *
                     (c[0] * means[1] + c[1] * means[2] + c[2] * means[3]);
        } else {
            double sum = 0;
            HorizonPieces(node, mu, m, lever, [&](const double* cm, const double* cl) {
                SkyPolygon ref, part;
                ref.push({0, 0});
                ref.push({1, 0});
                ref.push({0, 1});
                const Affine2 lin{cm[0], cm[1] - cm[0], cm[2] - cm[0]};
                const Affine2 along{cl[0], cl[1] - cl[0], cl[2] - cl[0]};
                ClipToPositive(ref, lin, part);
                sum += 2 *
                       FanIntegral(part,
                                   [&](Point2 p) {
                                       const double cosine = std::max(lin(p), 0.0);
                                       return law(cosine) * cosine * along(p);
                                   }) /
                       16;
            });
            out[b] = m.area[t] * Brightness(b, l, t) * sum;
        }
    }
}

void FluxModel::Occlude(std::size_t back, const Lobe& occluder, double occluderBound,
                        Vec3 occluderShift, const Reach& reach, Vec3 w, const Lever* lever,
                        Workspace& work) const {
    const LobeMesh& bm = lobes_[back];
    const std::vector<double>& mu = work.mu[back];
    std::vector<double>& weight = work.weight[back];
    std::vector<std::uint8_t>& state = work.state[back];
    const std::size_t nb = bands_.size();
    const bool cut = Dot(reach.beyond, reach.beyond) > 0;
    const bool sided = Dot(reach.towards, reach.towards) > 0;
    auto beyondOf = [&](std::int32_t i) {
        return Dot(bm.position[i] - bm.lobe.centre, reach.beyond) - reach.offset;
    };

    // The triangles within reach.
    std::vector<std::uint32_t>& candidates = work.candidates;
    candidates.clear();
    for (std::size_t t = 0; t < bm.triangles.size(); ++t) {
        if (state[t] == kUnseen || state[t] == kHidden) continue;
        const auto& tri = bm.triangles[t];
        if (cut) {
            // Wholly beyond the plane, and not wholly beyond the next one.
            int count = 0, countNext = 0;
            for (std::int32_t i : {tri.v[0], tri.v[1], tri.v[2], tri.m[0], tri.m[1], tri.m[2]}) {
                const double b = beyondOf(i);
                count += b > 0;
                countNext += b > reach.nextOffset - reach.offset;
            }
            if (count < 6 || countNext == 6) continue;
        }
        if (sided) {
            bool any = false;
            for (int k = 0; k < 3 && !any; ++k)
                any = Dot(bm.position[tri.v[k]] - bm.lobe.centre, reach.towards) > 0;
            if (!any) continue;
        }
        candidates.push_back(static_cast<std::uint32_t>(t));
    }
    if (candidates.empty()) return;

    // Sky axes at right angles to the line of sight, about the occluder's centre.
    Vec3 e1 = std::fabs(w.z) < 0.9 ? Cross({0, 0, 1}, w) : Cross({1, 0, 0}, w);
    e1 = Normalised(e1);
    const Vec3 e2 = Cross(w, e1);
    // The occluder's centre where the back lobe's mesh stands.
    const Vec3 origin = occluder.centre + occluderShift;

    // The back lobe's nodes on the sky.
    const std::size_t nodes = bm.position.size();
    work.skyX.resize(nodes);
    work.skyY.resize(nodes);
    ProjectOnSky(nodes, bm.positionAxis[0].data(), bm.positionAxis[1].data(),
                 bm.positionAxis[2].data(), origin, e1, e2, work.skyX.data(), work.skyY.data());

    // The part of the occluder's disc that can cover the candidates: seen from a companion,
    // the cone around its bounding sphere; for a lobe's own parts, the arc of position angles
    // the candidates span.
    double psiLow = 0, psiHigh = 2 * kPi;
    const Vec3 apart = bm.lobe.centre - origin;
    const double ax = Dot(apart, e1), ay = Dot(apart, e2);
    const double dist = std::hypot(ax, ay);
    if (dist > bm.boundRadius * 1.05) {
        const double half = std::asin(std::min(1.0, bm.boundRadius * 1.05 / dist));
        const double mid = std::atan2(ay, ax);
        psiLow = mid - half;
        psiHigh = mid + half;
    } else if (dist < 1e-12) {
        std::vector<double>& angles = work.angles;
        angles.clear();
        for (std::uint32_t t : candidates)
            for (std::int32_t i : bm.triangles[t].v)
                angles.push_back(std::atan2(work.skyY[i], work.skyX[i]));
        std::sort(angles.begin(), angles.end());
        // The arc is the turn less the widest gap between neighbouring angles.
        double widest = angles.front() + 2 * kPi - angles.back();
        double start = angles.front();
        for (std::size_t k = 1; k < angles.size(); ++k) {
            if (angles[k] - angles[k - 1] > widest) {
                widest = angles[k] - angles[k - 1];
                start = angles[k];
            }
        }
        const double pad = 0.15;
        if (widest > 2 * pad + 0.1) {
            psiLow = start - pad;
            psiHigh = start + 2 * kPi - widest + pad;
        }
    }
    SkyOutline& outline = work.outline;
    if (occluder.kind == Lobe::Kind::Sphere && !(Dot(occluder.cut, occluder.cut) > 0)) {
        outline.SetCircle(occluder.radius);
    } else {
        // Not finer where an open lobe's neck turns sharply on the sky: the edge's curvature,
        // taken between samples, then grows so large near the turn that the partly hidden
        // triangles there lose light by jumps (up to 3e-3 of a contact system's light near
        // phase 0.1 at a step of 0.05).
        outline.SetLobe(occluder, 0.8 * occluderBound, w, e1, e2, psiLow, psiHigh, 0.1);
    }
    if (!(outline.maxRadius() > 0)) return;
    const double rMin = outline.minRadius(), rMax = outline.maxRadius();
    // A triangle whose six nodes all lie further than this inside or outside the outline lies
    // wholly on that side: between its nodes neither the outline nor the curved patch strays
    // further (the outline's sagitta over half an edge, the patch's over a whole one).
    const double half = 0.5 * maxEdge_[back];
    // (A part of a star cut through its centre has an outline that reaches the centre: its
    // curvature is taken from its size instead.)
    const double curvature = std::max({rMin, 0.3 * rMax, 1e-6});
    const double margin = half * half / (4 * curvature) + 2 * maxSag_[back] + 1e-12;

    // A node's distance outside the outline (negative inside), worked out when first needed.
    work.gap.assign(nodes, std::numeric_limits<double>::quiet_NaN());
    const double outerSq = (rMax + margin) * (rMax + margin);
    const double innerSq = rMin > margin ? (rMin - margin) * (rMin - margin) : -1.0;
    auto gapOf = [&](std::int32_t i) {
        double& g = work.gap[i];
        if (!std::isnan(g)) return g;
        const double x = work.skyX[i], y = work.skyY[i];
        const double s2 = x * x + y * y;
        if (s2 > outerSq) {
            g = std::sqrt(s2) - rMax;
        } else if (s2 < innerSq) {
            g = std::sqrt(s2) - rMin;
        } else {
            g = std::sqrt(s2) - outline.Radius(std::atan2(y, x));
        }
        return g;
    };
    // A triangle whose corners all lie this far outside the largest radius is clear of the disc.
    const double clear = rMax + maxEdge_[back] + margin;
    const double clearSq = clear * clear;

    std::array<const LimbDarkening*, kMaxBands> laws{};
    for (std::size_t b = 0; b < nb; ++b) laws[b] = &bands_[b].law[back];
    std::array<double, kMaxBands> hidden{}, total{}, hiddenX{}, hiddenY{}, totalX{}, totalY{};
    for (std::uint32_t t : candidates) {
        const auto& tri = bm.triangles[t];
        bool isClear = true;
        for (int k = 0; k < 3 && isClear; ++k) {
            const double x = work.skyX[tri.v[k]], y = work.skyY[tri.v[k]];
            isClear = x * x + y * y > clearSq;
        }
        if (isClear) continue;
        const std::int32_t nodeOf[6] = {tri.v[0], tri.v[1], tri.v[2], tri.m[0], tri.m[1], tri.m[2]};
        bool allIn = true, allOut = true;
        double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
        for (std::int32_t i : nodeOf) {
            const double g = gapOf(i);
            allIn = allIn && g < -margin;
            allOut = allOut && g > margin;
            minX = std::min(minX, work.skyX[i]);
            maxX = std::max(maxX, work.skyX[i]);
            minY = std::min(minY, work.skyY[i]);
            maxY = std::max(maxY, work.skyY[i]);
        }
        const bool aroundCentre = minX <= 0 && maxX >= 0 && minY <= 0 && maxY >= 0;
        if (allOut && !aroundCentre) continue;
        weight[t] = 0;
        if (allIn) {
            state[t] = kHidden;
            continue;
        }
        // Partly hidden: the hidden share of the triangle's light, in every band.
        SkyTriangle sky;
        for (int k = 0; k < 6; ++k) {
            sky.p[k] = {work.skyX[nodeOf[k]], work.skyY[nodeOf[k]]};
            sky.mu[k] = mu[nodeOf[k]];
            sky.gap[k] = work.gap[nodeOf[k]];
        }
        std::fill(hidden.begin(), hidden.begin() + nb, 0.0);
        std::fill(total.begin(), total.begin() + nb, 0.0);
        SkyFirstMoments first;
        if (lever) {
            for (auto* a : {&hiddenX, &hiddenY, &totalX, &totalY})
                std::fill(a->begin(), a->begin() + nb, 0.0);
            first = {std::span<double>(hiddenX.data(), nb), std::span<double>(hiddenY.data(), nb),
                     std::span<double>(totalX.data(), nb), std::span<double>(totalY.data(), nb)};
        }
        AddHiddenShare(sky, outline, margin, std::span<const LimbDarkening* const>(laws.data(), nb),
                       std::span<double>(hidden.data(), nb), std::span<double>(total.data(), nb),
                       lever ? &first : nullptr);
        // The shares of two occluders combine as if independent: what the first leaves, the
        // second hides in its own share.
        int& slot = work.slot[back][t];
        if (slot < 0) {
            slot = static_cast<int>(work.partial.size());
            work.partial.push_back({back, t});
            work.seen.resize(work.partial.size() * nb, 1.0);
            work.leverLost.resize(work.partial.size() * nb);
        }
        for (std::size_t b = 0; b < nb; ++b) {
            double share;
            if (total[b] > 0) {
                share = std::clamp(hidden[b] / total[b], 0.0, 1.0);
            } else {
                int in = 0;
                for (int k = 0; k < 3; ++k) in += work.gap[nodeOf[k]] < 0;
                share = in / 3.0;
            }
            double& seen = work.seen[slot * nb + b];
            if (lever) {
                // The hidden light's lever, measured on the sky like its share: the lever of a
                // point on the sky is that of the occluder's centre plus its offsets along the
                // sky axes. What an earlier occluder left is hidden in the same proportion.
                LeverLoss& lost = work.leverLost[slot * nb + b];
                if (total[b] > 0 && share > 0 && share < 1) {
                    const double hiddenLever = (*lever)(origin - bm.lobe.centre) * hidden[b] +
                                               (*lever)(e1) * hiddenX[b] + (*lever)(e2) * hiddenY[b];
                    lost.ofLight += seen * hiddenLever / total[b];
                } else {
                    lost.ofLever += seen * share;
                }
            }
            seen *= 1 - share;
        }
        state[t] = kPartlyHidden;  // its light is added with the partial ones
    }
}

}  // namespace vp::flux
