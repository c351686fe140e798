#include "fit/fit_problem.h"

#include <algorithm>
#include <cmath>

namespace vp::fit {

double ScatterOfNeighbours(const ObservedCurve& curve) {
    const std::size_t n = curve.phase.size();
    std::vector<std::size_t> order(n);
    for (std::size_t i = 0; i < n; ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return curve.phase[a] < curve.phase[b]; });
    // Each point against the line through its two neighbours in phase, so that the slopes of
    // the eclipses drop out: with weights a and b of the neighbours the difference has the
    // variance sigma^2 (1 + a^2 + b^2).
    std::vector<double> deviations;
    for (std::size_t k = 1; k + 1 < n; ++k) {
        const std::size_t i = order[k - 1], j = order[k], l = order[k + 1];
        const double span = curve.phase[l] - curve.phase[i];
        const double b = span > 0 ? (curve.phase[j] - curve.phase[i]) / span : 0.5;
        const double a = 1 - b;
        const double line = a * curve.value[i] + b * curve.value[l];
        deviations.push_back(std::fabs(curve.value[j] - line) / std::sqrt(1 + a * a + b * b));
    }
    double typical = 0;  // the size of the values, for a floor
    for (double v : curve.value) typical += std::fabs(v) / static_cast<double>(n);
    const double floor = curve.magnitudes ? 1e-5 : 1e-5 * std::max(typical, 1e-300);
    if (deviations.empty()) return floor;
    auto middle = deviations.begin() + static_cast<std::ptrdiff_t>(deviations.size() / 2);
    std::nth_element(deviations.begin(), middle, deviations.end());
    // For Gaussian noise the median absolute deviation is 0.6745 sigma.
    return std::max(*middle / 0.6744897501960817, floor);
}

FitProblem::FitProblem(std::vector<Dataset> data, std::vector<flux::BandSetup> bands,
                       ParameterMap map, flux::EngineOptions options)
    : data_(std::move(data)), bands_(std::move(bands)), map_(std::move(map)), options_(options) {
    for (const Dataset& d : data_) residuals_ += d.curve.value.size();
    const FitValues& start = map_.Start();
    SetGrid(EclipseHalfWidth(start.system.r1, start.system.r2));
}

void FitProblem::SetGrid(double halfWidth) {
    gridHalfWidth_ = halfWidth;
    // On an eccentric orbit the secondary eclipse leaves phase 0.5: fine steps everywhere.
    const auto& free = map_.FreeList();
    const bool eccentric = map_.Start().system.ecc != 0 ||
                           std::find(free.begin(), free.end(), Parameter::Ecc) != free.end();
    grid_ = eccentric ? UniformPhaseGrid(halfWidth) : PhaseGrid(halfWidth);
    cacheValid_ = false;
    std::lock_guard<std::mutex> lock(bestMutex_);
    bestChi2_ = INFINITY;
    best_.clear();
}

double FitProblem::PhaseOf(std::size_t d, std::size_t i, const FitValues& v) const {
    const ObservedCurve& c = data_[d].curve;
    return c.times ? (c.x[i] - v.t0) / v.period : c.x[i];
}

bool FitProblem::Curves(const FitValues& values, int threads, ModelCurves& curves,
                        std::string& error) const {
    flux::EngineOptions options = options_;
    options.threads = threads;
    return ComputeModelCurves(values.system, bands_, grid_, options, curves, error);
}

bool FitProblem::Fill(const double* point, const FitValues& values, const ModelCurves& curves,
                      double* residuals) const {
    std::size_t row = 0;
    for (std::size_t d = 0; d < data_.size(); ++d) {
        const Dataset& set = data_[d];
        const double scale = point[map_.Size() + d];
        const PeriodicSpline& spline = curves.band[set.band];
        for (std::size_t i = 0; i < set.curve.value.size(); ++i, ++row) {
            const double light = WithThirdLight(spline.At(PhaseOf(d, i, values)), values.l3);
            double model;
            if (set.curve.magnitudes) {
                if (!(light > 0)) return false;
                model = scale - 2.5 * std::log10(light);
            } else {
                model = set.startScale * scale * light;
            }
            residuals[row] = (set.curve.value[i] - model) / set.sigma[i];
            if (!std::isfinite(residuals[row])) return false;
        }
    }
    return true;
}

void FitProblem::Remember(const double* point, const double* residuals) const {
    double chi2 = 0;
    for (std::size_t r = 0; r < residuals_; ++r) chi2 += residuals[r] * residuals[r];
    std::lock_guard<std::mutex> lock(bestMutex_);
    if (chi2 < bestChi2_) {
        bestChi2_ = chi2;
        best_.assign(point, point + Parameters());
    }
}

double FitProblem::BestChiSquared() const {
    std::lock_guard<std::mutex> lock(bestMutex_);
    return bestChi2_;
}

std::vector<double> FitProblem::BestPoint() const {
    std::lock_guard<std::mutex> lock(bestMutex_);
    return best_;
}

bool FitProblem::StartPoint(const std::vector<double>& coordinates, std::vector<double>& point,
                            std::string& error, double* chi2) {
    FitValues values;
    if (!map_.Values(coordinates.data(), values)) {
        error = "the start lies outside its configuration";
        return false;
    }
    ModelCurves curves;
    if (!Curves(values, options_.threads, curves, error)) return false;
    point = coordinates;
    for (std::size_t d = 0; d < data_.size(); ++d) {
        Dataset& set = data_[d];
        double top = 0, bottom = 0;
        for (std::size_t i = 0; i < set.curve.value.size(); ++i) {
            const double light =
                WithThirdLight(curves.band[set.band].At(PhaseOf(d, i, values)), values.l3);
            const double w = 1 / (set.sigma[i] * set.sigma[i]);
            if (set.curve.magnitudes) {
                if (!(light > 0)) {
                    error = "the start's light falls to 0 in band " + set.bandName;
                    return false;
                }
                top += w * (set.curve.value[i] + 2.5 * std::log10(light));
                bottom += w;
            } else {
                top += w * set.curve.value[i] * light;
                bottom += w * light * light;
            }
        }
        double scale = bottom > 0 ? top / bottom : 0;
        if (!set.curve.magnitudes) {
            if (!(scale > 0)) {
                error = "the flux of " + set.source + " does not follow the model at the start";
                return false;
            }
            if (!scalesSet_) set.startScale = scale;
            scale /= set.startScale;
        }
        point.push_back(scale);
    }
    scalesSet_ = true;
    if (chi2) {
        std::vector<double> residuals(residuals_);
        if (!Fill(point.data(), values, curves, residuals.data())) {
            error = "the model's light falls to 0 or below";
            return false;
        }
        Remember(point.data(), residuals.data());
        *chi2 = 0;
        for (double r : residuals) *chi2 += r * r;
    }
    return true;
}

bool FitProblem::Evaluate(const double* point, double* residuals, double* jacobian, bool central,
                          std::string* error) {
    std::string message;
    const std::size_t n = map_.Size();
    FitValues values;
    if (!map_.Values(point, values)) {
        if (error) *error = "the point leaves its configuration";
        return false;
    }
    ++evaluations_;
    std::vector<double> stars;
    for (std::size_t k = 0; k < n; ++k)
        if (map_.ChangesStars(k)) stars.push_back(point[k]);
    if (!cacheValid_ || stars != cacheStars_) {
        cacheValid_ = false;
        if (!Curves(values, options_.threads, cache_, message)) {
            if (error) *error = message;
            return false;
        }
        cacheStars_ = stars;
        cacheValid_ = true;
    }
    if (!Fill(point, values, cache_, residuals)) {
        if (error) *error = "the model's light falls to 0 or below";
        return false;
    }
    Remember(point, residuals);
    if (!jacobian) return true;

    const std::size_t columns = Parameters();
    std::vector<double> moved(point, point + columns), plus(residuals_), minus(residuals_);
    // The residuals at the point moved by delta along coordinate k.
    auto at = [&](std::size_t k, double delta, std::vector<double>& out) {
        moved[k] = point[k] + delta;
        FitValues v;
        bool ok = map_.Values(moved.data(), v);
        if (ok && map_.ChangesStars(k)) {
            ModelCurves curves;
            ok = Curves(v, options_.threads, curves, message) &&
                 Fill(moved.data(), v, curves, out.data());
            ++evaluations_;
        } else if (ok) {
            ok = Fill(moved.data(), v, cache_, out.data());
        }
        moved[k] = point[k];
        return ok;
    };
    for (std::size_t k = 0; k < n; ++k) {
        const double h = map_.Step(k);
        const bool upOk = point[k] + h <= map_.Upper(k);
        const bool downOk = point[k] - h >= map_.Lower(k);
        bool done = false;
        if (central && upOk && downOk && at(k, h, plus) && at(k, -h, minus)) {
            for (std::size_t r = 0; r < residuals_; ++r)
                jacobian[r * columns + k] = (plus[r] - minus[r]) / (2 * h);
            done = true;
        }
        if (!done && upOk && at(k, h, plus)) {
            for (std::size_t r = 0; r < residuals_; ++r)
                jacobian[r * columns + k] = (plus[r] - residuals[r]) / h;
            done = true;
        }
        if (!done && downOk && at(k, -h, minus)) {
            for (std::size_t r = 0; r < residuals_; ++r)
                jacobian[r * columns + k] = (residuals[r] - minus[r]) / h;
            done = true;
        }
        if (!done) {
            if (error)
                *error = std::string("no derivative in ") + ParameterName(map_.Free(k)) +
                         (message.empty() ? "" : ": " + message);
            return false;
        }
    }
    // The scales enter linearly: their derivatives follow from the model itself.
    std::size_t row = 0;
    for (std::size_t d = 0; d < data_.size(); ++d) {
        const Dataset& set = data_[d];
        const double scale = point[n + d];
        for (std::size_t i = 0; i < set.curve.value.size(); ++i, ++row) {
            for (std::size_t e = 0; e < data_.size(); ++e) jacobian[row * columns + n + e] = 0;
            double derivative;
            if (set.curve.magnitudes) {
                derivative = -1 / set.sigma[i];
            } else {
                // model = startScale * scale * light, and residual = (observed - model) / sigma.
                const double model = set.curve.value[i] - residuals[row] * set.sigma[i];
                derivative =
                    scale != 0 ? -model / scale / set.sigma[i] : -set.startScale / set.sigma[i];
            }
            jacobian[row * columns + n + d] = derivative;
        }
    }
    return true;
}

bool FitProblem::ChiSquared(const double* point, int threads, double& chi2) const {
    FitValues values;
    if (!map_.Values(point, values)) return false;
    ModelCurves curves;
    std::string error;
    if (!Curves(values, threads, curves, error)) return false;
    ++evaluations_;
    std::vector<double> residuals(residuals_);
    if (!Fill(point, values, curves, residuals.data())) return false;
    Remember(point, residuals.data());
    chi2 = 0;
    for (double r : residuals) chi2 += r * r;
    return true;
}

bool FitProblem::Predict(const double* point, FitValues& values,
                         std::vector<std::vector<double>>& model, std::string& error) const {
    if (!map_.Values(point, values)) {
        error = "the point leaves its configuration";
        return false;
    }
    ModelCurves curves;
    if (!Curves(values, options_.threads, curves, error)) return false;
    model.assign(data_.size(), {});
    for (std::size_t d = 0; d < data_.size(); ++d) {
        std::vector<double> phases;
        for (std::size_t i = 0; i < data_[d].curve.x.size(); ++i)
            phases.push_back(PhaseOf(d, i, values));
        std::vector<double> light;
        for (double phase : phases)
            light.push_back(WithThirdLight(curves.band[data_[d].band].At(phase), values.l3));
        const double scale = point[map_.Size() + d];
        for (double l : light)
            model[d].push_back(data_[d].curve.magnitudes
                                   ? (l > 0 ? scale - 2.5 * std::log10(l) : NAN)
                                   : data_[d].startScale * scale * l);
    }
    return true;
}

bool FitProblem::ModelAtPhases(const double* point, std::size_t file,
                               const std::vector<double>& phases, std::vector<double>& model,
                               std::string& error) const {
    FitValues values;
    if (!map_.Values(point, values)) {
        error = "the point leaves its configuration";
        return false;
    }
    ModelCurves curves;
    if (!Curves(values, options_.threads, curves, error)) return false;
    const Dataset& set = data_[file];
    const double scale = point[map_.Size() + file];
    model.clear();
    for (double phase : phases) {
        const double l = WithThirdLight(curves.band[set.band].At(phase), values.l3);
        model.push_back(set.curve.magnitudes ? (l > 0 ? scale - 2.5 * std::log10(l) : NAN)
                                             : set.startScale * scale * l);
    }
    return true;
}

}  // namespace vp::fit
