#include "flux/reflection.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "flux/facing_sum.h"
#include "flux/roche_geometry.h"
#include "flux/sky_polygon.h"

namespace vp::flux {

void Irradiator::Sources::Add(const Sources& from, std::size_t t) {
    for (auto [to, of] : {std::pair{&cx, &from.cx},
                          {&cy, &from.cy},
                          {&cz, &from.cz},
                          {&nx, &from.nx},
                          {&ny, &from.ny},
                          {&nz, &from.nz},
                          {&spread, &from.spread},
                          {&ax, &from.ax},
                          {&ay, &from.ay},
                          {&az, &from.az},
                          {&bxx, &from.bxx},
                          {&bxy, &from.bxy},
                          {&bxz, &from.bxz},
                          {&byy, &from.byy},
                          {&byz, &from.byz},
                          {&bzz, &from.bzz},
                          {&light, &from.light}})
        to->push_back((*of)[t]);
    for (int k = 0; k < 3; ++k) corner.push_back(from.corner[3 * t + k]);
}

Irradiator::Irradiator(const LobeMesh& source, std::span<const double> quadT4, double limbDarkening)
    : centre_(source.lobe.centre), bound_(source.boundRadius), x_(limbDarkening) {
    // I0 / sigma at the disc centre: sigma T^4 = pi I0 (1 - x / 3).
    const double toCentre = 1 / (std::numbers::pi * (1 - x_ / 3));
    for (std::size_t t = 0; t < source.triangles.size(); ++t) {
        Vec3 centroid{}, normal{};
        double area = 0, light = 0;
        double m1[3] = {0, 0, 0}, m2[6] = {0, 0, 0, 0, 0, 0};
        for (int k = 0; k < kQuadPoints; ++k) {
            const std::size_t q = t * kQuadPoints + k;
            const double w = source.quadWeight[q];
            const double l = w * quadT4[q] * toCentre;
            const Vec3 nq = source.quadNormal[q];
            centroid = centroid + w * source.quadPosition[q];
            normal = normal + w * nq;
            area += w;
            light += l;
            const double c[3] = {nq.x, nq.y, nq.z};
            for (int a = 0; a < 3; ++a) m1[a] += l * c[a];
            int i = 0;
            for (int a = 0; a < 3; ++a)
                for (int b = a; b < 3; ++b) m2[i++] += l * c[a] * c[b];
        }
        if (!(area > 0)) continue;
        centroid = (1 / area) * centroid;
        normal = Normalised(normal);
        double cosSpread = 1;
        const auto& tri = source.triangles[t];
        for (int k = 0; k < 3; ++k) {
            cosSpread = std::min(cosSpread, Dot(normal, source.normal[tri.v[k]]));
            cosSpread = std::min(cosSpread, Dot(normal, source.normal[tri.m[k]]));
        }
        for (int k = 0; k < kQuadPoints; ++k)
            cosSpread = std::min(cosSpread, Dot(normal, source.quadNormal[t * kQuadPoints + k]));
        Sources& s = all_;
        s.cx.push_back(centroid.x), s.cy.push_back(centroid.y), s.cz.push_back(centroid.z);
        s.nx.push_back(normal.x), s.ny.push_back(normal.y), s.nz.push_back(normal.z);
        s.spread.push_back(std::sqrt(std::max(0.0, 1 - cosSpread * cosSpread)) + 1e-9);
        s.ax.push_back(m1[0]), s.ay.push_back(m1[1]), s.az.push_back(m1[2]);
        s.bxx.push_back(m2[0]), s.bxy.push_back(m2[1]), s.bxz.push_back(m2[2]);
        s.byy.push_back(m2[3]), s.byz.push_back(m2[4]), s.bzz.push_back(m2[5]);
        s.light.push_back(light);
        for (int k = 0; k < 3; ++k) s.corner.push_back(source.normal[tri.v[k]]);
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

double Irradiator::EdgeLight(const Sources& s, std::size_t j, Vec3 u) const {
    const double m0 = Dot(s.corner[3 * j], u), m1 = Dot(s.corner[3 * j + 1], u),
                 m2 = Dot(s.corner[3 * j + 2], u);
    const double m[3] = {m0, m1, m2};
    int positive = 0;
    for (double v : m) positive += v > 0;
    if (positive == 0) return 0;
    std::array<double, 4> means = TrianglePowerMeans(m0, m1, m2);
    if (positive < 3) {
        int lone = 0;
        for (int i = 0; i < 3; ++i)
            if ((m[i] > 0) == (positive == 1)) lone = i;
        const double a = m[lone], b = m[(lone + 1) % 3], c = m[(lone + 2) % 3];
        const double share = (a / (a - b)) * (a / (a - c));
        const auto corner = TrianglePowerMeans(a, 0, 0);
        for (int k = 0; k < 4; ++k)
            means[k] = positive == 1 ? share * corner[k] : means[k] - share * corner[k];
    }
    return s.light[j] * ((1 - x_) * means[1] + x_ * means[2]);
}

template <bool kNeck>
double Irradiator::Sum(Vec3 p, Vec3 n, const Sources& s) const {
    const std::size_t count = s.size();
    const double *cx = s.cx.data(), *cy = s.cy.data(), *cz = s.cz.data();
    const double *nx = s.nx.data(), *ny = s.ny.data(), *nz = s.nz.data();
    const double *ax = s.ax.data(), *ay = s.ay.data(), *az = s.az.data();
    const double *bxx = s.bxx.data(), *bxy = s.bxy.data(), *bxz = s.bxz.data(), *byy = s.byy.data(),
                 *byz = s.byz.data(), *bzz = s.bzz.data();
    const double* spread = s.spread.data();
    const double lin = 1 - x_, sq = x_;
    thread_local std::vector<double> across;
    across.resize(count);
    double* edge = across.data();
    // The triangles that wholly face the point, from their moments; the others marked.
    const IrradiationArrays arrays{cx, cy, cz,  nx,  ny,  nz,  spread, ax,
                                   ay, az, bxx, bxy, bxz, byy, byz,    bzz};
    double sum = FacingIrradiance(count, arrays, p, n, lin, sq, edge);
    if constexpr (kNeck) {
        // Take back what runs through the envelope.
        sum = 0;
        for (std::size_t j = 0; j < count; ++j) {
            if (edge[j] != 0) continue;
            const double dx = p.x - cx[j], dy = p.y - cy[j], dz = p.z - cz[j];
            const double r2 = dx * dx + dy * dy + dz * dz;
            const double inv = 1 / std::sqrt(r2);
            const double ux = dx * inv, uy = dy * inv, uz = dz * inv;
            const double into = -(n.x * ux + n.y * uy + n.z * uz);
            const double cs = nx[j] * ux + ny[j] * uy + nz[j] * uz;
            if (!(into > 0 && cs >= spread[j])) continue;
            if (Blocked(p, {cx[j], cy[j], cz[j]})) continue;
            const double first = ax[j] * ux + ay[j] * uy + az[j] * uz;
            const double second = bxx[j] * ux * ux + byy[j] * uy * uy + bzz[j] * uz * uz +
                                  2 * (bxy[j] * ux * uy + bxz[j] * ux * uz + byz[j] * uy * uz);
            sum += (lin * first + sq * second) * into * inv * inv;
        }
    }
    for (std::size_t j = 0; j < count; ++j) {
        if (edge[j] == 0) continue;
        if constexpr (kNeck) {
            if (Blocked(p, {cx[j], cy[j], cz[j]})) continue;
        }
        const Vec3 u = Normalised(p - Vec3{cx[j], cy[j], cz[j]});
        sum += EdgeLight(s, j, u) * edge[j];
    }
    return sum;
}

void Irradiator::Aim(const LobeMesh& target) {
    const Vec3 centre = target.lobe.centre;
    const double radius = target.boundRadius * 1.01 + 1e-9;
    aimed_ = Sources{};
    for (std::size_t t = 0; t < all_.size(); ++t) {
        const Vec3 c{all_.cx[t], all_.cy[t], all_.cz[t]}, nm{all_.nx[t], all_.ny[t], all_.nz[t]};
        const Vec3 to = centre - c;
        const double dist = Norm(to);
        bool keep = dist <= radius;
        if (!keep) {
            const double away = std::acos(std::clamp(Dot(nm, to) / dist, -1.0, 1.0));
            const double cone = std::asin(std::min(1.0, radius / dist)) + std::asin(all_.spread[t]);
            keep = away - cone < std::numbers::pi / 2;
        }
        if (keep) aimed_.Add(all_, t);
    }
}

double Irradiator::FluxAt(Vec3 p, Vec3 n) const {
    // A point whose horizon hides the whole source gets nothing.
    if (Dot(n, centre_ - p) < -bound_) return 0;
    return neck_ ? Sum<true>(p, n, aimed_) : Sum<false>(p, n, aimed_);
}

void Irradiator::FluxOnto(std::span<const Vec3> points, std::span<const Vec3> normals,
                          std::span<double> out) const {
    for (std::size_t i = 0; i < points.size(); ++i) out[i] = FluxAt(points[i], normals[i]);
}

}  // namespace vp::flux
