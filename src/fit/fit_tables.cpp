#include "fit/fit_tables.h"

#include <algorithm>
#include <cmath>

#include "core/number_text.h"

namespace vp::fit {

std::vector<std::string> CurveColumns(const FitProblem& problem) {
    std::vector<std::string> names;
    const auto& data = problem.Data();
    for (std::size_t d = 0; d < data.size(); ++d) {
        const bool shared = std::count_if(data.begin(), data.end(), [&](const Dataset& other) {
                                return other.bandName == data[d].bandName;
                            }) > 1;
        names.push_back(data[d].bandName + (shared ? " (file " + std::to_string(d + 1) + ")" : ""));
    }
    return names;
}

bool ObservationTable(const FitProblem& problem, const std::vector<double>& point, std::string& csv,
                      std::string& error) {
    FitValues values;
    std::vector<std::vector<double>> model;
    if (!problem.Predict(point.data(), values, model, error)) return false;
    const bool times = problem.Data().front().curve.times;
    csv = std::string("file,band,line,") + (times ? "time," : "") +
          "phase,observed,error,model,residual\n";
    for (std::size_t d = 0; d < problem.Data().size(); ++d) {
        const Dataset& set = problem.Data()[d];
        for (std::size_t i = 0; i < set.curve.value.size(); ++i) {
            double phase = problem.PhaseOf(d, i, values);
            phase -= std::floor(phase);
            csv += std::to_string(d + 1) + "," + set.bandName + "," +
                   std::to_string(set.curve.line[i]) + "," +
                   (times ? FormatNumber(set.curve.x[i]) + "," : "") + FormatNumber(phase) + "," +
                   FormatNumber(set.curve.value[i]) + "," + FormatNumber(set.sigma[i]) + "," +
                   FormatNumber(model[d][i]) + "," +
                   FormatNumber(set.curve.value[i] - model[d][i]) + "\n";
        }
    }
    return true;
}

bool CurveTable(const FitProblem& problem, const std::vector<double>& point, std::string& csv,
                std::string& error) {
    std::vector<double> phases;
    for (int k = 0; k <= 720; ++k) phases.push_back(-0.25 + k / 720.0);
    std::vector<std::vector<double>> columns;
    for (std::size_t d = 0; d < problem.Data().size(); ++d) {
        std::vector<double> model;
        if (!problem.ModelAtPhases(point.data(), d, phases, model, error)) return false;
        columns.push_back(std::move(model));
    }
    csv = "phase";
    for (const std::string& name : CurveColumns(problem)) csv += "," + name;
    csv += "\n";
    for (std::size_t k = 0; k < phases.size(); ++k) {
        csv += FormatNumber(phases[k]);
        for (const auto& column : columns) csv += "," + FormatNumber(column[k]);
        csv += "\n";
    }
    return true;
}

}  // namespace vp::fit
