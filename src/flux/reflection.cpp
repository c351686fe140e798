#include "flux/reflection.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "flux/roche_geometry.h"

namespace vp::flux {

Irradiator::Irradiator(const LobeMesh& source, std::span<const double> quadT4, double limbDarkening)
    : centre_(source.lobe.centre), bound_(source.boundRadius), x_(limbDarkening) {
    // I0 / sigma at the disc centre: sigma T^4 = pi I0 (1 - x / 3).
    const double toCentre = 1 / (std::numbers::pi * (1 - x_ / 3));
    const std::size_t nt = source.triangles.size();
    for (auto& v : c_) v.assign(nt, 0.0);
    for (auto& v : n_) v.assign(nt, 0.0);
    for (auto& v : m1_) v.assign(nt, 0.0);
    for (auto& v : m2_) v.assign(nt, 0.0);
    spread_.assign(nt, 0.0);
    quadPosition_ = source.quadPosition;
    quadNormal_ = source.quadNormal;
    quadLight_.resize(quadT4.size());
    for (std::size_t t = 0; t < nt; ++t) {
        Vec3 centroid{}, normal{};
        double area = 0;
        for (int k = 0; k < kQuadPoints; ++k) {
            const std::size_t q = t * kQuadPoints + k;
            const double w = source.quadWeight[q];
            const double light = w * quadT4[q] * toCentre;
            quadLight_[q] = light;
            const Vec3 nq = source.quadNormal[q];
            centroid = centroid + w * source.quadPosition[q];
            normal = normal + w * nq;
            area += w;
            const double c[3] = {nq.x, nq.y, nq.z};
            for (int a = 0; a < 3; ++a) m1_[a][t] += light * c[a];
            int i = 0;
            for (int a = 0; a < 3; ++a)
                for (int b = a; b < 3; ++b) m2_[i++][t] += light * c[a] * c[b];
        }
        if (area > 0) centroid = (1 / area) * centroid;
        normal = Normalised(normal);
        double cosSpread = 1;
        const auto& tri = source.triangles[t];
        for (int k = 0; k < 3; ++k) {
            cosSpread = std::min(cosSpread, Dot(normal, source.normal[tri.v[k]]));
            cosSpread = std::min(cosSpread, Dot(normal, source.normal[tri.m[k]]));
        }
        for (int k = 0; k < kQuadPoints; ++k)
            cosSpread = std::min(cosSpread, Dot(normal, source.quadNormal[t * kQuadPoints + k]));
        const Vec3 cv[2] = {centroid, normal};
        for (int a = 0; a < 3; ++a) {
            c_[a][t] = a == 0 ? cv[0].x : a == 1 ? cv[0].y : cv[0].z;
            n_[a][t] = a == 0 ? cv[1].x : a == 1 ? cv[1].y : cv[1].z;
        }
        spread_[t] = std::sqrt(std::max(0.0, 1 - cosSpread * cosSpread)) + 1e-9;
        if (area > 0) all_.push_back(static_cast<std::int32_t>(t));
    }
}

void Irradiator::SetNeck(double q, double neckX, double level) {
    neck_ = true;
    neckQ_ = q;
    neckX_ = neckX;
    neckLevel_ = level;
}

bool Irradiator::Blocked(Vec3 a, Vec3 b) const {
    const double da = a.x - neckX_, db = b.x - neckX_;
    if ((da > 0) == (db > 0) || da == db) return false;
    const double s = da / (da - db);
    return RochePotential(neckQ_, a + s * (b - a)) > neckLevel_;
}

double Irradiator::EdgeFlux(std::size_t t, Vec3 p, Vec3 n) const {
    double sum = 0;
    for (int k = 0; k < kQuadPoints; ++k) {
        const std::size_t q = t * kQuadPoints + k;
        const Vec3 d = p - quadPosition_[q];
        const double r2 = Dot(d, d);
        if (!(r2 > 0)) continue;
        const Vec3 u = (1 / std::sqrt(r2)) * d;
        const double mu = Dot(quadNormal_[q], u), into = -Dot(n, u);
        if (mu > 0 && into > 0) sum += quadLight_[q] * (1 - x_ + x_ * mu) * mu * into / r2;
    }
    return sum;
}

template <bool kNeck>
double Irradiator::Sum(Vec3 p, Vec3 n, const std::vector<std::int32_t>& candidates) const {
    const double* cx = c_[0].data();
    const double* cy = c_[1].data();
    const double* cz = c_[2].data();
    const double* nx = n_[0].data();
    const double* ny = n_[1].data();
    const double* nz = n_[2].data();
    const double *ax = m1_[0].data(), *ay = m1_[1].data(), *az = m1_[2].data();
    const double *bxx = m2_[0].data(), *bxy = m2_[1].data(), *bxz = m2_[2].data(),
                 *byy = m2_[3].data(), *byz = m2_[4].data(), *bzz = m2_[5].data();
    const double* spread = spread_.data();
    const double lin = 1 - x_;
    double sum = 0;
    std::size_t edges = 0;
    thread_local std::vector<std::int32_t> edge;
    edge.resize(candidates.size());
    for (std::size_t j = 0; j < candidates.size(); ++j) {
        const std::int32_t t = candidates[j];
        const double dx = p.x - cx[t], dy = p.y - cy[t], dz = p.z - cz[t];
        const double r2 = dx * dx + dy * dy + dz * dz;
        const double inv = 1 / std::sqrt(r2);
        const double ux = dx * inv, uy = dy * inv, uz = dz * inv;
        const double into = -(n.x * ux + n.y * uy + n.z * uz);
        const double cs = nx[t] * ux + ny[t] * uy + nz[t] * uz;
        if (cs >= spread[t]) {
            if (into <= 0) continue;
            if constexpr (kNeck) {
                if (Blocked(p, {cx[t], cy[t], cz[t]})) continue;
            }
            const double first = ax[t] * ux + ay[t] * uy + az[t] * uz;
            const double second = bxx[t] * ux * ux + byy[t] * uy * uy + bzz[t] * uz * uz +
                                  2 * (bxy[t] * ux * uy + bxz[t] * ux * uz + byz[t] * uy * uz);
            sum += (lin * first + x_ * second) * into * inv * inv;
        } else if (cs > -spread[t]) {
            edge[edges++] = t;
        }
    }
    for (std::size_t j = 0; j < edges; ++j) {
        const std::int32_t t = edge[j];
        if constexpr (kNeck) {
            if (Blocked(p, {cx[t], cy[t], cz[t]})) continue;
        }
        sum += EdgeFlux(t, p, n);
    }
    return sum;
}

double Irradiator::FluxAt(Vec3 p, Vec3 n) const {
    return neck_ ? Sum<true>(p, n, all_) : Sum<false>(p, n, all_);
}

void Irradiator::FluxOnto(const LobeMesh& target, std::span<const Vec3> points,
                          std::span<const Vec3> normals, std::span<double> out) const {
    // Only the source triangles that can face some point of a sphere about the target.
    const Vec3 centre = target.lobe.centre;
    const double radius = target.boundRadius * 1.01 + 1e-9;
    std::vector<std::int32_t> candidates;
    for (std::int32_t t : all_) {
        const Vec3 c{c_[0][t], c_[1][t], c_[2][t]}, nm{n_[0][t], n_[1][t], n_[2][t]};
        const Vec3 to = centre - c;
        const double dist = Norm(to);
        if (dist <= radius) {
            candidates.push_back(t);
            continue;
        }
        const double away = std::acos(std::clamp(Dot(nm, to) / dist, -1.0, 1.0));
        const double cone = std::asin(std::min(1.0, radius / dist)) + std::asin(spread_[t]);
        if (away - cone < std::numbers::pi / 2) candidates.push_back(t);
    }
    for (std::size_t i = 0; i < points.size(); ++i) {
        // A point whose horizon hides the whole source gets nothing.
        const Vec3 p = points[i], n = normals[i];
        if (Dot(n, centre_ - p) < -bound_) {
            out[i] = 0;
            continue;
        }
        out[i] = neck_ ? Sum<true>(p, n, candidates) : Sum<false>(p, n, candidates);
    }
}

}  // namespace vp::flux
