#include "cli/fit_outputs.h"

#include <cmath>

#include "cli/fit_plot.h"
#include "core/atomic_file.h"
#include "core/number_text.h"
#include "fit/fit_tables.h"
#include "photometry/star_file.h"

namespace vp {
namespace {

bool FitPlot(const fit::FitProblem& problem, const fit::FitOutcome& o, bool times,
             const std::string& path, const std::string& title, std::string& error) {
    FitPlotData data;
    data.times = times;
    data.xLabel = times ? "time" : "phase";
    const std::vector<std::string> labels = fit::CurveColumns(problem);
    std::vector<std::vector<double>> model;
    fit::FitValues values;
    if (!problem.Predict(o.point.data(), values, model, error)) return false;
    double first = INFINITY, last = -INFINITY;
    for (const fit::Dataset& set : problem.Data())
        for (double x : set.curve.x) first = std::min(first, x), last = std::max(last, x);
    for (std::size_t d = 0; d < problem.Data().size(); ++d) {
        const fit::Dataset& set = problem.Data()[d];
        FitPanel panel;
        panel.label = labels[d];
        panel.magnitudes = set.curve.magnitudes;
        panel.wavelength = problem.Bands()[set.band].band.MeanWavelength();
        panel.observed = set.curve.value;
        for (std::size_t i = 0; i < set.curve.value.size(); ++i) {
            double phase = problem.PhaseOf(d, i, values);
            panel.x.push_back(times ? set.curve.x[i] : phase - std::floor(phase));
            panel.residual.push_back(set.curve.value[i] - model[d][i]);
        }
        // The model over one turn, or every few tenths of a pixel across the times.
        std::vector<double> phases;
        const int samples = times ? 12000 : 1440;
        for (int k = 0; k < samples; ++k) {
            if (times) {
                const double t = first + (last - first) * k / (samples - 1);
                panel.modelX.push_back(t);
                phases.push_back((t - values.t0) / values.period);
            } else {
                phases.push_back(static_cast<double>(k) / samples);
                panel.modelX.push_back(phases.back());
            }
        }
        if (!problem.ModelAtPhases(o.point.data(), d, phases, panel.modelY, error)) return false;
        data.panels.push_back(std::move(panel));
    }
    const PlotText text{title, fit::ParameterLine(o)};
    return WriteFitPlot(path, data, text, error);
}

bool Corner(const fit::FitOutcome& o, const std::string& path, const std::string& title,
            std::string& error) {
    CornerData data;
    std::vector<std::size_t> columns;
    for (std::size_t k = 0; k < o.quantities.size(); ++k)
        if (o.quantities[k].file < 0) {
            columns.push_back(k);
            data.names.push_back(o.quantities[k].name);
            data.best.push_back(o.quantities[k].value);
        }
    for (const auto& sample : o.posterior.samples) {
        std::vector<double> row;
        for (std::size_t k : columns) row.push_back(sample[k]);
        data.samples.push_back(std::move(row));
    }
    const PlotText text{title, "posterior of " + std::to_string(o.posterior.walkers) +
                                   " walkers x " +
                                   std::to_string(o.posterior.steps - o.posterior.burnIn) +
                                   " steps after " + std::to_string(o.posterior.burnIn) +
                                   " of burn-in; + marks the least-squares fit"};
    return WriteCornerPlot(path, data, text, error);
}

}  // namespace

bool WriteFitOutputs(const fit::FitProblem& problem, const fit::FitOutcome& o,
                     const fit::ReportContext& context, const FitOutputPaths& paths,
                     const std::string& title, std::string& errors) {
    errors.clear();
    auto failed = [&](const std::string& path, const std::string& why) {
        errors += (errors.empty() ? "" : "\n") + ("cannot write " + path + ": " + why);
    };
    std::string error, text;
    if (!paths.json.empty() &&
        !WriteFileAtomically(paths.json, fit::JsonReport(problem, o, context), &error))
        failed(paths.json, error);
    if (!paths.out.empty()) {
        if (!fit::ObservationTable(problem, o.point, text, error) ||
            !WriteFileAtomically(paths.out, text, &error))
            failed(paths.out, error);
    }
    if (!paths.curve.empty()) {
        if (!fit::CurveTable(problem, o.point, text, error) ||
            !WriteFileAtomically(paths.curve, text, &error))
            failed(paths.curve, error);
    }
    if (!paths.saveStar.empty()) {
        const flux::BinaryParameters& s = o.values.system;
        const StarTexts texts = {FormatNumber(s.q),  FormatNumber(s.incl), FormatNumber(s.r1),
                                 FormatNumber(s.r2), FormatNumber(s.t1),   FormatNumber(s.t2),
                                 FormatNumber(s.w1), FormatNumber(s.w2)};
        if (!WriteFileAtomically(paths.saveStar, StarFileText(texts), &error))
            failed(paths.saveStar, error);
    }
    if (!paths.plotPng.empty() &&
        !FitPlot(problem, o, paths.plotTimes, paths.plotPng, title, error))
        failed(paths.plotPng, error);
    if (!paths.corner.empty()) {
        if (!o.posterior.run || o.posterior.samples.empty())
            failed(paths.corner, "the sampler did not run (--mcmc N)");
        else if (!Corner(o, paths.corner, title, error))
            failed(paths.corner, error);
    }
    return errors.empty();
}

}  // namespace vp
