#include "headless/fit_setup.h"

#include <algorithm>
#include <cmath>

#include "core/number_text.h"
#include "flux/window_system.h"

namespace vp {

bool ParseConfiguration(const std::string& text, fit::Configuration& configuration,
                        std::string& error) {
    for (auto c : {fit::Configuration::Detached, fit::Configuration::SemiDetached,
                   fit::Configuration::Contact})
        if (text == fit::ConfigurationName(c)) {
            configuration = c;
            return true;
        }
    error = "--config is detached, semi-detached or contact, not '" + text + "'";
    return false;
}

bool MakeFitProblem(MainForm& form, std::vector<fit::Dataset> data, const FitStartRequest& request,
                    std::unique_ptr<fit::FitProblem>& problem, fit::ReportContext& context,
                    std::string& error, bool& usage) {
    usage = true;
    fit::Configuration configuration = fit::Configuration::Detached;
    const bool configGiven = !request.configuration.empty();
    if (configGiven && !ParseConfiguration(request.configuration, configuration, error))
        return false;
    form.chkPhotometry.checked = false;
    form.Refresh_Click();
    if (!form.TwoStarsCheck.checked) {
        error = "a fit needs two stars (Star 2 Active)";
        return false;
    }
    fit::FitValues start;
    start.system = EngineParameters(form);
    start.l3 = request.l3;
    start.t0 = request.ephemeris.times ? request.ephemeris.epoch : 0;
    start.period = request.ephemeris.times ? request.ephemeris.period : 1;

    // One band of the model for every band among the files, in the order met.
    std::vector<std::string> bandNames;
    for (fit::Dataset& set : data) {
        auto found = std::find(bandNames.begin(), bandNames.end(), set.bandName);
        set.band = static_cast<std::size_t>(found - bandNames.begin());
        if (found == bandNames.end()) bandNames.push_back(set.bandName);
    }
    PreciseRequest engine = request.engine;
    engine.bands = bandNames;
    std::vector<flux::BandSetup> bands;
    if (!RequestedBands(engine, start.system.w1, start.system.w2, bands, error)) return false;
    PhysicsRequest physics = request.physics;
    physics.l3.clear();  // the fit's own
    if (!ApplyPhysics(physics, start.system, bands, error)) return false;
    context.physics = fit::PhysicsText(start.system);
    context.limbDarkening = engine.law.empty() && engine.ld1.empty() && engine.ld2.empty()
                                ? "linear, w1 = " + FormatNumber(start.system.w1) +
                                      ", w2 = " + FormatNumber(start.system.w2) + " in every band"
                                : "as --ld-law, --ld1, --ld2 give it";

    int filling = 2;
    const fit::Configuration startConfiguration = fit::ConfigurationOf(start.system, filling);
    fit::MapSettings mapSettings;
    mapSettings.configuration = configGiven ? configuration : startConfiguration;
    if (!start.system.tidal) {
        if (configGiven) {
            error = "--config needs tidal shapes (not --no-tidal)";
            return false;
        }
        mapSettings.configuration = fit::Configuration::Spheres;
    }
    mapSettings.filling = mapSettings.configuration == fit::Configuration::SemiDetached &&
                                  startConfiguration == fit::Configuration::SemiDetached
                              ? filling
                              : 2;
    std::vector<fit::Parameter> freeList = request.free;
    if (freeList.empty()) {
        for (fit::Parameter p : {fit::Parameter::Q, fit::Parameter::Incl, fit::Parameter::R1,
                                 fit::Parameter::R2, fit::Parameter::T2}) {
            if (p == fit::Parameter::Q && mapSettings.configuration == fit::Configuration::Spheres)
                continue;
            if (mapSettings.configuration == fit::Configuration::SemiDetached &&
                p == (mapSettings.filling == 1 ? fit::Parameter::R1 : fit::Parameter::R2))
                continue;
            freeList.push_back(p);
        }
    }
    mapSettings.free = freeList;
    mapSettings.times = request.ephemeris.times;
    if (request.ephemeris.times) {
        double first = INFINITY, last = -INFINITY;
        for (const fit::Dataset& set : data)
            for (double t : set.curve.x) first = std::min(first, t), last = std::max(last, t);
        mapSettings.cyclesSpanned = (last - first) / request.ephemeris.period;
    }
    fit::ParameterMap map;
    if (!map.Make(start, mapSettings, error, context.notes)) return false;

    flux::EngineOptions engineOptions;
    engineOptions.rings = engine.rings;
    engineOptions.threads = engine.threads;
    problem = std::make_unique<fit::FitProblem>(std::move(data), std::move(bands), std::move(map),
                                                engineOptions);
    usage = false;
    return true;
}

}  // namespace vp
