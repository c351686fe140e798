#include "flux/binary_system.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <stdexcept>
#include <thread>

#include "core/number_text.h"
#include "flux/intensity_table.h"
#include "flux/roche_geometry.h"
#include "flux/surface_temperature.h"
#include "flux/system_lobes.h"

namespace vp::flux {
namespace {

constexpr double kPi = std::numbers::pi;

void Require(bool ok, const std::string& message) {
    if (!ok) throw std::invalid_argument(message);
}

// An eccentric orbit is for detached stars that stay apart at periastron.
void CheckEccentricOrbit(const BinaryParameters& p, const SystemFacts& facts,
                         const std::vector<LobeMesh>& meshes) {
    if (p.ecc == 0) return;
    if (p.tidal) {
        Require(!facts.contact,
                "an eccentric orbit needs a detached system: this one is in "
                "contact (both stars fill their Roche lobes)");
        Require(!facts.star1Fills && !facts.star2Fills,
                std::string("an eccentric orbit needs a detached system: star ") +
                    (facts.star1Fills ? "1" : "2") +
                    " fills its Roche lobe (semi-detached); tidal shapes at periastron would be "
                    "wrong");
    }
    const double closest = 1 - p.ecc;
    Require(meshes[0].boundRadius + meshes[1].boundRadius < closest,
            "the stars would touch at periastron (separation 1 - e = " + FormatNumber(closest) +
                " of the semi-major axis)");
}

}  // namespace

void CheckBinaryParameters(const BinaryParameters& p) {
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
    auto inRange = [](double v, double lo, double hi) {
        return std::isfinite(v) && v >= lo && v <= hi;
    };
    Require(inRange(p.gd1, 0, 4) && inRange(p.gd2, 0, 4),
            "the gravity-darkening exponents must lie between 0 and 4");
    Require(inRange(p.alb1, 0, 1) && inRange(p.alb2, 0, 1),
            "the bolometric albedos must lie between 0 and 1");
    Require((!p.ldBol1 || inRange(*p.ldBol1, 0, 1)) && (!p.ldBol2 || inRange(*p.ldBol2, 0, 1)),
            "the bolometric limb-darkening coefficients must lie between 0 and 1");
    CheckSpots(p.spots, p.twoStars);
    Require(std::isfinite(p.ecc) && p.ecc >= 0 && p.ecc < 1, "the eccentricity must lie in [0, 1)");
    Require(std::isfinite(p.omega), "the argument of periastron must be a number");
    Require(p.ecc == 0 || p.twoStars, "an eccentric orbit needs two stars");
}

LightCurveModel::LightCurveModel(const BinaryParameters& parameters, std::vector<BandSetup> bands,
                                 EngineOptions options)
    : p_(parameters), bands_(std::move(bands)), options_(options) {
    const BinaryParameters& p = p_;
    CheckBinaryParameters(p);
    Require(!bands_.empty(), "no band was asked for");
    for (const BandSetup& b : bands_)
        Require(std::isfinite(b.l3) && b.l3 >= 0 && b.l3 < 1,
                "the third light of band " + b.band.name + " must lie in [0, 1)");
    Require(options.rings >= 4 && options.rings <= 400, "the mesh needs 4 to 400 rings");
    Require(options.threads >= 0 && options.threads <= 256, "threads must lie in 0 .. 256");

    const double incl = p.incl * kPi / 180;
    sinIncl_ = std::sin(incl);
    cosIncl_ = std::cos(incl);

    const std::vector<Lobe> lobes = MakeLobes(p, facts_);
    std::vector<LobeMesh> meshes;
    for (const Lobe& lobe : lobes) meshes.push_back(BuildLobeMesh(lobe, options.rings));
    CheckEccentricOrbit(p, facts_, meshes);
    // Spots and an eccentric orbit break the mirror symmetry that lets phases phi and -phi
    // share their light.
    mirrorSymmetric_ = p.spots.empty() && p.ecc == 0;

    const SurfaceTemperatures temperatures(meshes, p, facts_);
    const double hottest = p.twoStars ? std::max(p.t1, p.t2) : p.t1;
    std::vector<BandLight> light;
    for (const BandSetup& setup : bands_) {
        BandLight band;
        std::map<double, double> cache;
        // The "Stefan-Boltzmann" switch: on, the cooler star is as much fainter as its
        // temperature makes it; off, every surface radiates the same bolometric flux and only
        // its colour follows its temperature.
        auto dimmed = [&](double raw, double T) {
            const double ratio4 = std::pow(T / hottest, 4);
            const bool physical =
                setup.band.kind == Band::Kind::Filter || setup.band.kind == Band::Kind::Bolometric;
            if (physical) return p.stefan ? raw : raw / ratio4;
            return p.stefan ? raw * ratio4 : raw;
        };
        auto brightness = [&](double T) {
            auto [it, added] = cache.try_emplace(T, 0.0);
            if (added) it->second = dimmed(setup.band.Intensity(T), T);
            return it->second;
        };
        IntensityTable table;
        if (temperatures.AnyVaries())
            table = IntensityTable(setup.band, temperatures.Lowest(), temperatures.Highest());
        const std::function<double(double)> varying = [&](double T) { return dimmed(table(T), T); };
        for (std::size_t l = 0; l < meshes.size(); ++l) {
            const LobeMesh& mesh = meshes[l];
            const int star = mesh.lobe.star;
            const auto& given = star == 1 ? setup.ld1 : setup.ld2;
            band.law.push_back(
                given ? *given
                      : LimbDarkening{LimbDarkening::Law::Linear, star == 1 ? p.w1 : p.w2, 0});
            if (temperatures.Varies(l)) {
                band.brightness.push_back(temperatures.Brightness(l, mesh, varying));
                continue;
            }
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

LightCurveModel::Placement LightCurveModel::PlaceAt(double phase) const {
    Placement at;
    if (p_.ecc == 0) {
        const double a = 2 * kPi * phase;
        at.w = {std::cos(a) * sinIncl_, -std::sin(a) * sinIncl_, -cosIncl_};
        at.orbit.turn = a;
        return at;
    }
    // The engine's frame turns with the line of centres; star 2 stands at the instantaneous
    // separation.
    at.orbit = OrbitAt(phase, p_.ecc, p_.omega);
    const double a = at.orbit.turn;
    at.w = {std::cos(a) * sinIncl_, -std::sin(a) * sinIncl_, -cosIncl_};
    at.shift[1] = {at.orbit.separation - 1, 0, 0};
    at.moved = true;
    return at;
}

Vec3 LightCurveModel::ViewDirection(double phase) const {
    return PlaceAt(phase).w;
}

std::vector<double> LightCurveModel::DistinctPhases(std::span<const double> phases,
                                                    std::vector<double>& key) const {
    // When the shapes and their brightness are mirror-symmetric about the plane through the
    // line of centres and the orbital axis, phases phi and -phi give the same light: each
    // distinct phase folded into [0, 0.5] is computed once.
    key.resize(phases.size());
    for (std::size_t i = 0; i < phases.size(); ++i) {
        Require(std::isfinite(phases[i]), "a phase is not a finite number");
        double f = phases[i] - std::floor(phases[i]);
        if (mirrorSymmetric_ && f > 0.5) f = 1 - f;
        f = std::round(f * 1e12) / 1e12;
        if (f >= 1) f = 0;
        key[i] = f;
    }
    std::vector<double> distinct = key;
    std::sort(distinct.begin(), distinct.end());
    distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
    return distinct;
}

void LightCurveModel::ForEachPhase(
    std::size_t count, const std::function<void(std::size_t, FluxModel::Workspace&)>& work) const {
    auto run = [&](std::size_t first, std::size_t stride) {
        FluxModel::Workspace space;
        for (std::size_t k = first; k < count; k += stride) work(k, space);
    };
    std::size_t threads = options_.threads == 0 ? std::thread::hardware_concurrency()
                                                : static_cast<std::size_t>(options_.threads);
    threads = std::clamp<std::size_t>(threads, 1, std::max<std::size_t>(1, count / 16));
    if (threads == 1) {
        run(0, 1);
        return;
    }
    // Interleaved, so that every thread gets its share of the costly eclipses.
    std::vector<std::thread> pool;
    for (std::size_t t = 1; t < threads; ++t) pool.emplace_back(run, t, threads);
    run(0, threads);
    for (std::thread& th : pool) th.join();
}

std::vector<std::vector<double>> LightCurveModel::Fluxes(std::span<const double> phases) const {
    const std::size_t nb = bands_.size();
    std::vector<double> key;
    std::vector<double> distinct = DistinctPhases(phases, key);
    // Third light is counted against the light at quadrature.
    const bool third =
        std::any_of(bands_.begin(), bands_.end(), [](const BandSetup& b) { return b.l3 > 0; });
    if (third && !std::binary_search(distinct.begin(), distinct.end(), 0.25))
        distinct.insert(std::lower_bound(distinct.begin(), distinct.end(), 0.25), 0.25);

    std::vector<double> light(distinct.size() * nb, 0.0);
    ForEachPhase(distinct.size(), [&](std::size_t k, FluxModel::Workspace& space) {
        std::span<double> f(light.data() + k * nb, nb);
        const Placement at = PlaceAt(distinct[k]);
        if (at.moved)
            model_->Flux(at.w, at.shift, f, space);
        else
            model_->Flux(at.w, f, space);
    });

    std::vector<double> added(nb, 0.0);
    if (third) {
        const std::size_t q =
            std::lower_bound(distinct.begin(), distinct.end(), 0.25) - distinct.begin();
        for (std::size_t b = 0; b < nb; ++b)
            added[b] = bands_[b].l3 / (1 - bands_[b].l3) * light[q * nb + b];
    }
    std::vector<std::vector<double>> out(nb, std::vector<double>(phases.size(), 0.0));
    for (std::size_t i = 0; i < phases.size(); ++i) {
        const std::size_t k =
            std::lower_bound(distinct.begin(), distinct.end(), key[i]) - distinct.begin();
        for (std::size_t b = 0; b < nb; ++b) out[b][i] = light[k * nb + b] + added[b];
    }
    return out;
}

}  // namespace vp::flux
