#include "flux/binary_system.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <stdexcept>
#include <thread>

#include "core/number_text.h"
#include "flux/roche_geometry.h"

namespace vp::flux {
namespace {

constexpr double kPi = std::numbers::pi;

void Require(bool ok, const std::string& message) {
    if (!ok) throw std::invalid_argument(message);
}

// The lobes of the system's bodies and the facts of its geometry.
std::vector<Lobe> MakeLobes(const BinaryParameters& p, SystemFacts& facts) {
    std::vector<Lobe> lobes;
    if (!p.twoStars) {
        Lobe lone;
        lone.star = 1;
        if (p.tidal) {
            // The lone star is one solar mass and one solar radius at the pole, drawn with a
            // pole radius of half the separation, flattened by its rotation.
            const double period = p.rotationPeriod * 86400;
            const double kappa =
                2 * kPi * kPi * std::pow(6.95e8, 3) / (period * period * 6.672e-11 * 1.989e30);
            Require(kappa <= 4.0 / 27,
                    "the lone star rotates too fast to hold together (rotation period " +
                        FormatNumber(p.rotationPeriod) + " days)");
            lone.kind = Lobe::Kind::Spin;
            lone.radius = 0.5;
            lone.spinKappa = kappa;
        } else {
            lone.kind = Lobe::Kind::Sphere;
            lone.radius = p.r1;
        }
        lobes.push_back(lone);
        return lobes;
    }
    const InnerLagrangePoint l1 = FindInnerLagrangePoint(p.q);
    facts.l1 = l1.x;
    facts.omegaCrit = l1.omega;
    facts.omega1 = PolePotential1(p.q, p.r1);
    facts.omega2 = PolePotential2(p.q, p.r2);
    facts.star1Fills = facts.omega1 < facts.omegaCrit;
    facts.star2Fills = facts.omega2 < facts.omegaCrit;
    facts.contact = facts.star1Fills && facts.star2Fills;
    facts.neck = p.tidal && facts.contact && p.neck != 0;

    Lobe one, two;
    one.star = 1;
    two.star = 2;
    one.centre = {0, 0, 0};
    two.centre = {1, 0, 0};
    one.axis = 1;
    two.axis = -1;
    if (!p.tidal) {
        one.kind = two.kind = Lobe::Kind::Sphere;
        one.radius = p.r1;
        two.radius = p.r2;
        return {one, two};
    }
    one.kind = two.kind = Lobe::Kind::Roche;
    one.q = two.q = p.q;
    one.limitX = two.limitX = l1.x;
    if (facts.neck) {
        // The contact envelope: star 1's potential from star 1's back to star 2's centre (the
        // neck), star 2's own beyond it; each half ends at the plane of the inner Lagrangian
        // point.
        one.omegaInner = one.omegaOuter = facts.omega1;
        two.omegaInner = facts.omega1;
        two.omegaOuter = facts.omega2;
        one.openAtLimit = two.openAtLimit = true;
    } else {
        // A star cannot be larger than its Roche lobe.
        const double lobe = l1.omega * (1 + 1e-10);
        one.omegaInner = one.omegaOuter = std::max(facts.omega1, lobe);
        two.omegaInner = two.omegaOuter = std::max(facts.omega2, lobe);
    }
    return {one, two};
}

// The surface temperature at a point of lobe `star`: the star's own, blended linearly across
// the neck within 0.05 of the inner Lagrangian point as the window paints it.
double SurfaceTemperature(const BinaryParameters& p, const SystemFacts& facts, int star, Vec3 pos) {
    if (facts.neck && p.t1 != p.t2 && std::fabs(pos.x - facts.l1) < 0.05 && pos.x >= 0 &&
        pos.x <= 1) {
        return p.t1 + (p.t2 - p.t1) * ((pos.x - facts.l1) + 0.05) / 0.1;
    }
    return star == 1 ? p.t1 : p.t2;
}

}  // namespace

LightCurveModel::LightCurveModel(const BinaryParameters& parameters, std::vector<BandSetup> bands,
                                 EngineOptions options)
    : p_(parameters), bands_(std::move(bands)), options_(options) {
    const BinaryParameters& p = p_;
    Require(std::isfinite(p.q) && p.q > 0, "the mass ratio must be a positive number");
    Require(std::isfinite(p.incl) && p.incl >= 0 && p.incl <= 180,
            "the inclination must lie between 0 and 180 degrees");
    Require(std::isfinite(p.r1) && p.r1 > 0 && p.r1 < 1, "the pole radius r1 must lie in (0, 1)");
    Require(!p.twoStars || (std::isfinite(p.r2) && p.r2 > 0 && p.r2 < 1),
            "the pole radius r2 must lie in (0, 1)");
    Require(std::isfinite(p.t1) && p.t1 > 0 && std::isfinite(p.t2) && p.t2 > 0,
            "the temperatures must be positive");
    Require(p.twoStars || !p.tidal || (std::isfinite(p.rotationPeriod) && p.rotationPeriod > 0),
            "the rotation period must be positive");
    Require(!bands_.empty(), "no band was asked for");
    Require(options.rings >= 4 && options.rings <= 400, "the mesh needs 4 to 400 rings");
    Require(options.threads >= 0 && options.threads <= 256, "threads must lie in 0 .. 256");

    const double incl = p.incl * kPi / 180;
    sinIncl_ = std::sin(incl);
    cosIncl_ = std::cos(incl);

    const std::vector<Lobe> lobes = MakeLobes(p, facts_);
    std::vector<LobeMesh> meshes;
    for (const Lobe& lobe : lobes) meshes.push_back(BuildLobeMesh(lobe, options.rings));

    const double hottest = p.twoStars ? std::max(p.t1, p.t2) : p.t1;
    std::vector<BandLight> light;
    for (const BandSetup& setup : bands_) {
        BandLight band;
        std::map<double, double> cache;
        auto brightness = [&](double T) {
            auto [it, added] = cache.try_emplace(T, 0.0);
            if (added) {
                // The "Stefan-Boltzmann" switch: on, the cooler star is as much fainter as its
                // temperature makes it; off, every surface radiates the same bolometric flux
                // and only its colour follows its temperature.
                const double raw = setup.band.Intensity(T);
                const double ratio4 = std::pow(T / hottest, 4);
                if (setup.band.kind == Band::Kind::Filter) {
                    it->second = p.stefan ? raw : raw / ratio4;
                } else {
                    it->second = p.stefan ? raw * ratio4 : raw;
                }
            }
            return it->second;
        };
        for (const LobeMesh& mesh : meshes) {
            const int star = mesh.lobe.star;
            const auto& given = star == 1 ? setup.ld1 : setup.ld2;
            band.law.push_back(
                given ? *given
                      : LimbDarkening{LimbDarkening::Law::Linear, star == 1 ? p.w1 : p.w2, 0});
            LobeBrightness br;
            const bool blended = facts_.neck && p.t1 != p.t2;
            if (!blended) {
                br.value = brightness(star == 1 ? p.t1 : p.t2);
            } else {
                br.uniform = false;
                for (const Vec3& pos : mesh.position)
                    br.node.push_back(brightness(SurfaceTemperature(p, facts_, star, pos)));
                for (const Vec3& pos : mesh.quadPosition)
                    br.quad.push_back(brightness(SurfaceTemperature(p, facts_, star, pos)));
            }
            band.brightness.push_back(std::move(br));
        }
        light.push_back(std::move(band));
    }
    model_.emplace(std::move(meshes), std::move(light));
}

Vec3 LightCurveModel::ViewDirection(double phase) const {
    const double a = 2 * kPi * phase;
    return {std::cos(a) * sinIncl_, -std::sin(a) * sinIncl_, -cosIncl_};
}

std::vector<std::vector<double>> LightCurveModel::Fluxes(std::span<const double> phases) const {
    const std::size_t nb = bands_.size();
    // The shapes and their brightness are mirror-symmetric about the plane through the line of
    // centres and the orbital axis, so phases phi and -phi give the same light: each distinct
    // phase folded into [0, 0.5] is computed once.
    std::vector<double> folded(phases.size());
    for (std::size_t i = 0; i < phases.size(); ++i) {
        Require(std::isfinite(phases[i]), "a phase is not a finite number");
        double f = phases[i] - std::floor(phases[i]);
        if (f > 0.5) f = 1 - f;
        folded[i] = std::round(f * 1e12) / 1e12;
    }
    std::vector<double> distinct = folded;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());

    std::vector<double> light(distinct.size() * nb, 0.0);
    auto work = [&](std::size_t first, std::size_t stride) {
        FluxModel::Workspace space;
        std::vector<double> f(nb);
        for (std::size_t k = first; k < distinct.size(); k += stride) {
            model_->Flux(ViewDirection(distinct[k]), f, space);
            std::copy(f.begin(), f.end(), light.begin() + k * nb);
        }
    };
    std::size_t threads = options_.threads == 0 ? std::thread::hardware_concurrency()
                                                : static_cast<std::size_t>(options_.threads);
    threads = std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(1, distinct.size() / 16));
    if (threads == 1) {
        work(0, 1);
    } else {
        // Interleaved, so that every thread gets its share of the costly eclipses.
        std::vector<std::thread> pool;
        for (std::size_t t = 1; t < threads; ++t) pool.emplace_back(work, t, threads);
        work(0, threads);
        for (std::thread& th : pool) th.join();
    }

    std::vector<std::vector<double>> out(nb, std::vector<double>(phases.size(), 0.0));
    for (std::size_t i = 0; i < phases.size(); ++i) {
        const std::size_t k =
            std::lower_bound(distinct.begin(), distinct.end(), folded[i]) - distinct.begin();
        for (std::size_t b = 0; b < nb; ++b) out[b][i] = light[k * nb + b];
    }
    return out;
}

}  // namespace vp::flux
