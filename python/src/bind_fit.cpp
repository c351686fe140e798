#include "bind_fit.h"

#include <pybind11/numpy.h>
#include <pybind11/stl.h>

#include <atomic>
#include <optional>

#include "bind_system.h"
#include "fit/fit_parameters.h"
#include "keywords.h"
#include "module_fit.h"

namespace py = pybind11;

namespace vp::python {
namespace {

using Kind = ModuleError::Kind;

std::vector<double> Column(const py::handle& values) {
    const auto array =
        py::array_t<double, py::array::c_style | py::array::forcecast>::ensure(values);
    if (!array || array.ndim() != 1)
        throw ModuleError(Kind::Value,
                          "an observed column needs a one-dimensional array of numbers");
    return std::vector<double>(array.data(), array.data() + array.size());
}

// One observation set as vandrel.fit hands it over: {"path": ...} or {"x", "value", "error"},
// with "name", "band", "magnitudes" (-1, 0, 1), "flux_column", "quality_mask".
FileRequest Observed(const py::dict& item) {
    FileRequest request;
    auto text = [&](const char* key) {
        return item.contains(key) && !item[key].is_none() ? item[key].cast<std::string>()
                                                          : std::string();
    };
    request.band = text("band");
    request.fluxColumn = text("flux_column");
    request.qualityMask = text("quality_mask");
    request.magnitudes = item.contains("magnitudes") ? item["magnitudes"].cast<int>() : -1;
    if (item.contains("path")) {
        request.path = text("path");
        return request;
    }
    request.columns = true;
    request.path = text("name");
    request.x = Column(item["x"]);
    request.value = Column(item["value"]);
    if (item.contains("error") && !item["error"].is_none()) request.error = Column(item["error"]);
    return request;
}

py::array_t<double> Array(const std::vector<double>& values) {
    return py::array_t<double>(static_cast<py::ssize_t>(values.size()), values.data());
}

// The fit stops at its next iteration on Ctrl-C (or a failing progress function), and the
// exception is raised once it has stopped.
class PythonProgress {
  public:
    explicit PythonProgress(py::object callback) : callback_(std::move(callback)) {}
    ~PythonProgress() {
        py::gil_scoped_acquire hold;
        pending_ = {};
    }

    void operator()(const std::string& line) {
        py::gil_scoped_acquire hold;
        if (stop_) return;
        try {
            if (PyErr_CheckSignals() != 0) throw py::error_already_set();
            if (!callback_.is_none()) callback_(line);
        } catch (py::error_already_set& e) {
            pending_ = std::move(e);
            stop_ = true;
        }
    }

    const std::atomic<bool>* Flag() const { return &stop_; }

    // Raises what stopped the fit, if anything did.
    void RaisePending() {
        if (pending_) {
            py::error_already_set e = std::move(*pending_);
            pending_.reset();
            throw e;
        }
    }

  private:
    py::object callback_;
    std::atomic<bool> stop_{false};
    std::optional<py::error_already_set> pending_;
};

}  // namespace

void BindFit(py::module_& m) {
    m.def(
        "_fit",
        [](const PySystem& s, const py::list& observed, const std::string& free,
           const std::string& config, const py::object& l3, const py::object& period,
           const py::object& epoch, long starts, long candidates, long maxIterations, long seed,
           long mcmcSteps, long walkers, const py::object& rings, const py::object& threads,
           const py::object& progress) {
            const SystemSettings& settings = s.system->Settings();
            FitCall call;
            for (const py::handle item : observed)
                call.observed.push_back(Observed(item.cast<py::dict>()));
            std::string error;
            if (!free.empty() && !fit::ParseParameterList(free, call.start.free, error))
                throw ModuleError(Kind::Value, "--free: " + error);
            call.start.configuration = config;
            call.start.engine = EngineRequest(settings.engine, py::str("V"), rings, threads);
            call.start.physics = settings.engine.physics;
            if (!l3.is_none()) {
                call.start.l3 = py::float_(l3);
            } else if (const auto& shares = settings.engine.physics.l3; !shares.empty()) {
                if (!shares.count(""))
                    throw ModuleError(Kind::Value,
                                      "the fit takes one third light for every band (l3=0.1), "
                                      "not one per band");
                call.start.l3 = shares.at("");
            }
            if (period.is_none() != epoch.is_none())
                throw ModuleError(Kind::Value, "period and epoch go together");
            if (!period.is_none()) {
                call.start.ephemeris.times = true;
                call.start.ephemeris.period = py::float_(period);
                call.start.ephemeris.epoch = py::float_(epoch);
            }
            call.starts = starts;
            call.candidates = candidates;
            call.maxIterations = maxIterations;
            call.seed = seed;
            call.mcmcSteps = mcmcSteps;
            call.walkers = walkers;

            PythonProgress report(progress);
            FitRun run;
            {
                py::gil_scoped_release release;
                run = FitSystem(
                    *s.system, std::move(call), [&](const std::string& line) { report(line); },
                    report.Flag());
            }
            report.RaisePending();

            py::dict out;
            out["json"] = run.json;
            out["report"] = run.report;
            out["names"] = run.names;
            if (run.samples.empty()) {
                out["samples"] = py::none();
            } else {
                py::array_t<double> samples({static_cast<py::ssize_t>(run.samples.size()),
                                             static_cast<py::ssize_t>(run.names.size())});
                double* at = samples.mutable_data();
                for (const auto& sample : run.samples)
                    at = std::copy(sample.begin(), sample.end(), at);
                out["samples"] = samples;
            }
            py::list phases, models;
            for (std::size_t d = 0; d < run.model.size(); ++d) {
                phases.append(Array(run.phase[d]));
                models.append(Array(run.model[d]));
            }
            out["phase"] = phases;
            out["model"] = models;
            return out;
        },
        py::arg("system"), py::arg("observed"), py::arg("free"), py::arg("config"), py::arg("l3"),
        py::arg("period"), py::arg("epoch"), py::arg("starts"), py::arg("candidates"),
        py::arg("max_iterations"), py::arg("seed"), py::arg("mcmc_steps"), py::arg("walkers"),
        py::arg("rings"), py::arg("threads"), py::arg("progress"),
        "The fit behind vandrel.fit (which see): the observations as dicts, the free parameters "
        "as the tool's list.");
}

}  // namespace vp::python
