// The least-squares problem of a fit: the observations of every file, the model's bands, the
// map of the free parameters, and the weighted residuals at any point. A point holds the map's
// coordinates followed by one scale per file: a magnitude zero-point (observed = zero-point -
// 2.5 log10 of the relative light) or a flux factor relative to the start's (observed =
// factor x start factor x relative light).
#pragma once

#include <atomic>
#include <cmath>
#include <mutex>
#include <string>
#include <vector>

#include "fit/fit_parameters.h"
#include "fit/light_model.h"
#include "fit/observed_text.h"

namespace vp::fit {

struct Dataset {
    std::string source;  // the file, as the user named it
    std::string bandName;
    std::size_t band = 0;  // the model's band
    ObservedCurve curve;
    std::vector<double> sigma;    // the error of every observation
    bool sigmaEstimated = false;  // from the scatter, for a file without errors
    double startScale = 1;        // flux files: the factor the scale coordinate multiplies
};

// The noise of a file without errors: the scatter of each point about the line through its
// neighbours in phase (a robust estimate, from the median absolute deviation), which the
// eclipses barely widen when the points are many.
double ScatterOfNeighbours(const ObservedCurve& curve);

class FitProblem {
  public:
    FitProblem(std::vector<Dataset> data, std::vector<flux::BandSetup> bands, ParameterMap map,
               flux::EngineOptions options);

    const ParameterMap& Map() const { return map_; }
    const std::vector<Dataset>& Data() const { return data_; }
    const std::vector<flux::BandSetup>& Bands() const { return bands_; }
    std::size_t Parameters() const { return map_.Size() + data_.size(); }
    std::size_t Residuals() const { return residuals_; }

    // The grid of phases the model is computed at, made for eclipses of the given half-width
    // (EclipseHalfWidth); a new grid forgets the best point met, whose chi-squared it changes.
    void SetGrid(double halfWidth);
    double GridHalfWidth() const { return gridHalfWidth_; }
    const std::vector<double>& Grid() const { return grid_; }

    // The start point: the map's start coordinates and the scales that fit them best; with
    // chi2, also the chi-squared there.
    bool StartPoint(const std::vector<double>& coordinates, std::vector<double>& point,
                    std::string& error, double* chi2 = nullptr);

    // The weighted residuals (observed - model) / sigma at the point, and, when jacobian is
    // given, their derivatives (row-major, Residuals() x Parameters()) by finite differences,
    // central when central. False when the point leaves the model's domain (error says why).
    bool Evaluate(const double* point, double* residuals, double* jacobian, bool central,
                  std::string* error = nullptr);

    // Chi-squared at the point, safe to call from several threads at once (the engine with
    // the given threads); false outside the model's domain.
    bool ChiSquared(const double* point, int threads, double& chi2) const;

    // The values, and the model at each observation of each file, at the point.
    bool Predict(const double* point, FitValues& values, std::vector<std::vector<double>>& model,
                 std::string& error) const;
    // The model of one file at any phases (its own scale applied), for curves and plots.
    bool ModelAtPhases(const double* point, std::size_t file, const std::vector<double>& phases,
                       std::vector<double>& model, std::string& error) const;
    // The phase of observation i of file d at the values.
    double PhaseOf(std::size_t d, std::size_t i, const FitValues& values) const;

    // The lowest chi-squared met at any point evaluated so far, and that point.
    double BestChiSquared() const;
    std::vector<double> BestPoint() const;
    long Evaluations() const { return evaluations_; }

  private:
    bool Curves(const FitValues& values, int threads, ModelCurves& curves,
                std::string& error) const;
    bool Fill(const double* point, const FitValues& values, const ModelCurves& curves,
              double* residuals) const;
    void Remember(const double* point, const double* residuals) const;

    std::vector<Dataset> data_;
    std::vector<flux::BandSetup> bands_;
    ParameterMap map_;
    flux::EngineOptions options_;
    std::vector<double> grid_;
    double gridHalfWidth_ = 0;
    std::size_t residuals_ = 0;

    // The curves of the last point's stars, which a change of third light, ephemeris or
    // scales leaves as they are.
    std::vector<double> cacheStars_;
    ModelCurves cache_;
    bool cacheValid_ = false;
    bool scalesSet_ = false;

    mutable std::mutex bestMutex_;
    mutable double bestChi2_ = INFINITY;
    mutable std::vector<double> best_;
    mutable std::atomic<long> evaluations_{0};
};

}  // namespace vp::fit
