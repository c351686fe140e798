#include "flux/surface_temperature.h"

#include <algorithm>
#include <cmath>
#include <optional>

#include "flux/gravity_darkening.h"
#include "flux/reflection.h"
#include "flux/spots.h"
#include "flux/system_lobes.h"
#include "flux/triangle_rule.h"

namespace vp::flux {
namespace {

// The quadratic shape functions of a six-node triangle (corners, then the edge nodes 0-1,
// 1-2, 2-0) at barycentric b.
std::array<double, 6> ShapeFunctions(const double b[3]) {
    return {b[0] * (2 * b[0] - 1), b[1] * (2 * b[1] - 1), b[2] * (2 * b[2] - 1),
            4 * b[0] * b[1],       4 * b[1] * b[2],       4 * b[2] * b[0]};
}

std::array<std::int32_t, 6> NodesOf(const LobeMesh::Triangle& tri) {
    return {tri.v[0], tri.v[1], tri.v[2], tri.m[0], tri.m[1], tri.m[2]};
}

}  // namespace

SurfaceTemperatures::SurfaceTemperatures(const std::vector<LobeMesh>& meshes,
                                         const BinaryParameters& p, const SystemFacts& facts) {
    const std::size_t count = meshes.size();
    lobes_.resize(count);
    std::vector<GravityDarkening> darkening(count);
    std::vector<SpotPattern> spots(count);
    std::vector<double> albedo(count, 0.0);
    // The star's own temperature at a surface point (its direction d from the centre).
    auto own = [&](std::size_t l, Vec3 pos, Vec3 d) {
        const int star = meshes[l].lobe.star;
        return SurfaceTemperature(p, facts, star, pos) * darkening[l].Factor(pos) *
               spots[l].Factor(d);
    };
    for (std::size_t l = 0; l < count; ++l) {
        const LobeMesh& m = meshes[l];
        const int star = m.lobe.star;
        const double beta = star == 1 ? p.gd1 : p.gd2;
        if (beta != 0) darkening[l] = GravityDarkening(m, beta);
        spots[l] = SpotPattern(p.spots, star);
        albedo[l] = count == 2 ? (star == 1 ? p.alb1 : p.alb2) : 0.0;
        Field& f = lobes_[l];
        f.varies = beta != 0 || !spots[l].Empty() || albedo[l] > 0;
        f.node.resize(m.position.size());
        f.quad.resize(m.quadPosition.size());
        for (std::size_t i = 0; i < m.position.size(); ++i)
            f.node[i] = own(l, m.position[i], m.direction[i]);
        for (std::size_t q = 0; q < m.quadPosition.size(); ++q)
            f.quad[q] = own(l, m.quadPosition[q], Normalised(m.quadPosition[q] - m.lobe.centre));
    }

    // The heating by the companion, at every node, and at the quadrature points from the nodes
    // (a triangle across the line where the companion sets is worked out point by point).
    std::vector<std::vector<double>> nodeHeat(count), quadHeat(count);
    std::vector<std::optional<Irradiator>> sources(count);
    std::vector<std::vector<std::uint8_t>> terminator(count);
    for (std::size_t l = 0; l < count; ++l) {
        if (!(albedo[l] > 0)) continue;
        const LobeMesh& m = meshes[l];
        const std::size_t src = 1 - l;
        const int srcStar = meshes[src].lobe.star;
        const std::optional<double>& given = srcStar == 1 ? p.ldBol1 : p.ldBol2;
        const double x = given ? *given : srcStar == 1 ? p.w1 : p.w2;
        std::vector<double> quadT4(lobes_[src].quad.size());
        for (std::size_t q = 0; q < quadT4.size(); ++q)
            quadT4[q] = std::pow(lobes_[src].quad[q], 4);
        Irradiator& irr = sources[l].emplace(meshes[src], quadT4, x);
        if (facts.neck) irr.SetNeck(p.q, facts.l1, facts.omega1);
        std::vector<double>& heat = nodeHeat[l];
        heat.resize(m.position.size());
        irr.Aim(m);
        irr.FluxOnto(m.position, m.normal, heat);
        for (double& h : heat) h *= albedo[l];
        std::vector<double>& qh = quadHeat[l];
        qh.resize(m.quadPosition.size());
        terminator[l].assign(m.triangles.size(), 0);
        for (std::size_t t = 0; t < m.triangles.size(); ++t) {
            const auto nodes = NodesOf(m.triangles[t]);
            bool lit = false, dark = false;
            for (std::int32_t i : nodes) (heat[i] > 0 ? lit : dark) = true;
            terminator[l][t] = lit && dark;
            for (int k = 0; k < kQuadPoints; ++k) {
                const std::size_t q = t * kQuadPoints + k;
                if (terminator[l][t]) {
                    qh[q] = albedo[l] * irr.FluxAt(m.quadPosition[q], m.quadNormal[q]);
                    continue;
                }
                const auto N = ShapeFunctions(kDegreeFiveRule.point[k].data());
                double h = 0;
                for (int j = 0; j < 6; ++j) h += N[j] * heat[nodes[j]];
                qh[q] = std::max(h, 0.0);
            }
        }
    }
    auto heated = [](double T, double heat) { return std::pow(std::pow(T, 4) + heat, 0.25); };
    for (std::size_t l = 0; l < count; ++l) {
        if (nodeHeat[l].empty()) continue;
        Field& f = lobes_[l];
        for (std::size_t i = 0; i < f.node.size(); ++i)
            f.node[i] = heated(f.node[i], nodeHeat[l][i]);
        for (std::size_t q = 0; q < f.quad.size(); ++q)
            f.quad[q] = heated(f.quad[q], quadHeat[l][q]);
    }

    // The triangles a spot's edge crosses, on finer points.
    for (std::size_t l = 0; l < count; ++l) {
        if (spots[l].Empty()) continue;
        const LobeMesh& m = meshes[l];
        Field& f = lobes_[l];
        f.crossed.assign(m.triangles.size(), 0);
        const int star = m.lobe.star;
        for (std::size_t t = 0; t < m.triangles.size(); ++t) {
            const auto nodes = NodesOf(m.triangles[t]);
            f.crossed[t] = spots[l].IntegrateAcrossEdges(
                m, t, [&](const PatchPoint& pt, const double b[3], double weight, double factor) {
                    double T = SurfaceTemperature(p, facts, star, pt.p) *
                               darkening[l].Factor(pt.p) * factor;
                    if (!nodeHeat[l].empty()) {
                        double h = 0;
                        if (terminator[l][t]) {
                            h = albedo[l] * sources[l]->FluxAt(pt.p, pt.n);
                        } else {
                            const auto N = ShapeFunctions(b);
                            for (int j = 0; j < 6; ++j) h += N[j] * nodeHeat[l][nodes[j]];
                        }
                        T = heated(T, std::max(h, 0.0));
                    }
                    f.edge.push_back({static_cast<std::int32_t>(t), pt.p, pt.n, weight, T});
                });
        }
    }

    lowest_ = 1e300, highest_ = 0;
    for (const Field& f : lobes_) {
        if (!f.varies) continue;
        for (const auto* values : {&f.node, &f.quad})
            for (double T : *values)
                lowest_ = std::min(lowest_, T), highest_ = std::max(highest_, T);
        for (const EdgePoint& e : f.edge)
            lowest_ = std::min(lowest_, e.T), highest_ = std::max(highest_, e.T);
    }
    if (highest_ < lowest_) lowest_ = highest_ = 0;
}

bool SurfaceTemperatures::AnyVaries() const {
    return std::any_of(lobes_.begin(), lobes_.end(), [](const Field& f) { return f.varies; });
}

LobeBrightness SurfaceTemperatures::Brightness(
    std::size_t l, const LobeMesh& mesh, const std::function<double(double)>& brightness) const {
    const Field& f = lobes_[l];
    LobeBrightness br;
    br.uniform = false;
    br.node.resize(f.node.size());
    br.quad.resize(f.quad.size());
    for (std::size_t i = 0; i < f.node.size(); ++i) br.node[i] = brightness(f.node[i]);
    for (std::size_t q = 0; q < f.quad.size(); ++q) br.quad[q] = brightness(f.quad[q]);
    if (f.edge.empty()) return br;
    // The moments: a triangle a spot's edge crosses from its finer points, where its
    // quadrature points then all carry its mean brightness; the others from their quadrature
    // points.
    const std::size_t nt = mesh.triangles.size();
    br.moment.assign(LobeMesh::kMomentComponents * nt, 0.0);
    br.lever.assign(LobeMesh::kLeverComponents * nt, 0.0);
    for (std::size_t t = 0; t < nt; ++t) {
        if (f.crossed[t]) continue;
        for (int k = 0; k < kQuadPoints; ++k) {
            const std::size_t q = t * kQuadPoints + k;
            const double w = mesh.quadWeight[q] * br.quad[q];
            AddPointMoments(nt, t, mesh.quadNormal[q], w, br.moment.data());
            AddPointLever(nt, t, mesh.quadPosition[q] - mesh.lobe.centre, mesh.quadNormal[q], w,
                          br.lever.data());
        }
    }
    br.fineBegin.assign(nt + 1, 0);
    std::size_t i = 0;
    while (i < f.edge.size()) {
        const std::int32_t t = f.edge[i].t;
        double light = 0, area = 0;
        for (; i < f.edge.size() && f.edge[i].t == t; ++i) {
            const EdgePoint& e = f.edge[i];
            const double w = e.weight * brightness(e.T);
            light += w;
            area += e.weight;
            AddPointMoments(nt, t, e.n, w, br.moment.data());
            AddPointLever(nt, t, e.p - mesh.lobe.centre, e.n, w, br.lever.data());
            br.finePosition.push_back(e.p);
            br.fineNormal.push_back(e.n);
            br.fineLight.push_back(w);
        }
        br.fineBegin[t + 1] = static_cast<std::uint32_t>(i);
        const double mean = area > 0 ? light / area : 0;
        for (int k = 0; k < kQuadPoints; ++k) br.quad[t * kQuadPoints + k] = mean;
    }
    // Each triangle begins where the one before it ends.
    for (std::size_t t = 0; t < nt; ++t)
        br.fineBegin[t + 1] = std::max(br.fineBegin[t + 1], br.fineBegin[t]);
    return br;
}

}  // namespace vp::flux
