#include "headless/precise_model.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <stdexcept>

#include "core/atomic_file.h"
#include "core/number_text.h"
#include "flux/window_system.h"
#include "headless/option_values.h"

namespace vp {
namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) parts.push_back(part);
    if (!text.empty() && text.back() == separator) parts.emplace_back();
    return parts;
}

// "BAND=VALUE" or "VALUE": the band ("" for every band) and the value.
void SplitBand(const std::string& text, std::string& band, std::string& value) {
    const auto eq = text.find('=');
    band = eq == std::string::npos ? "" : text.substr(0, eq);
    value = eq == std::string::npos ? text : text.substr(eq + 1);
}

bool ParseCoefficients(const std::string& text, std::vector<double>& values) {
    values.clear();
    for (const std::string& part : Split(text, ',')) {
        double v;
        if (!ParseRealNumber(part, v)) return false;
        values.push_back(v);
    }
    return !values.empty() && values.size() <= 2;
}

// The numbers of the first column of a text file: one per line; blank lines, '#' comments
// and a header line are passed over.
bool ReadColumn(const std::string& path, std::vector<double>& values, std::string& error) {
    std::string text;
    if (!ReadWholeFile(path, text, &error)) {
        error = "cannot read " + path + ": " + error;
        return false;
    }
    std::istringstream in(text);
    std::string line;
    long number = 0;
    while (std::getline(in, line)) {
        ++number;
        std::replace(line.begin(), line.end(), '\r', ' ');
        const auto start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#') continue;
        const auto end = line.find_first_of(" \t,;", start);
        const std::string field = line.substr(start, end - start);
        double v;
        if (!ParseRealNumber(field, v)) {
            if (values.empty() && number == 1) continue;  // a header
            error = path + ", line " + std::to_string(number) + ": '" + field + "' is not a number";
            return false;
        }
        values.push_back(v);
        if (values.size() > 10000000) {
            error = path + " holds more than 10000000 values";
            return false;
        }
    }
    if (values.empty()) error = path + " holds no numbers";
    return !values.empty();
}

}  // namespace

bool ParsePreciseOption(const std::vector<std::string>& a, std::size_t& i, PreciseRequest& r,
                        std::string& error) {
    const std::string& arg = a[i];
    auto value = [&](std::string& out) {
        if (i + 1 >= a.size()) {
            error = "option " + arg + " needs a value";
            i = a.size();
            return false;
        }
        out = a[i + 1];
        i += 2;
        return true;
    };
    if (ParsePhysicsOption(a, i, r.physics, error)) return true;
    std::string text;
    if (arg == "--bands") {
        if (!value(text)) return true;
        r.bands.clear();
        for (const std::string& b : Split(text, ','))
            if (!b.empty()) r.bands.push_back(b);
        if (r.bands.empty()) error = "--bands needs at least one band";
        return true;
    }
    if (arg == "--ld-law") {
        if (!value(text)) return true;
        std::string band, law;
        SplitBand(text, band, law);
        flux::LimbDarkening::Law parsed;
        if (!flux::ParseLaw(law, parsed))
            error = "--ld-law is linear, quadratic, sqrt, log or power2, not '" + law + "'";
        r.law[band] = law;
        return true;
    }
    if (arg == "--ld1" || arg == "--ld2") {
        if (!value(text)) return true;
        std::string band, coefficients;
        SplitBand(text, band, coefficients);
        std::vector<double> values;
        if (!ParseCoefficients(coefficients, values))
            error = arg + " needs one or two numbers (a or a,b), optionally after BAND=, not '" +
                    text + "'";
        (arg == "--ld1" ? r.ld1 : r.ld2)[band] = values;
        return true;
    }
    if (arg == "--phases") {
        if (value(text) && !ParseWholeNumber(text, 1, 1000000, r.phases))
            error = "--phases needs a whole number from 1 to 1000000, not '" + text + "'";
        return true;
    }
    if (arg == "--phase-list") return value(r.phaseList) || true;
    if (arg == "--times") return value(r.times) || true;
    if (arg == "--period" || arg == "--epoch") {
        if (!value(text)) return true;
        double v;
        if (!ParseRealNumber(text, v) || (arg == "--period" && !(v > 0))) {
            error = arg + " needs a number" + (arg == "--period" ? " above 0" : "") + ", not '" +
                    text + "'";
            return true;
        }
        (arg == "--period" ? r.period : r.epoch) = v;
        (arg == "--period" ? r.periodGiven : r.epochGiven) = true;
        return true;
    }
    if (arg == "--absolute") {
        r.absolute = true;
        ++i;
        return true;
    }
    if (arg == "--rings" || arg == "--threads") {
        long v = 0;
        const bool rings = arg == "--rings";
        if (value(text) && !ParseWholeNumber(text, rings ? 4 : 0, rings ? 200 : 64, v)) {
            error = rings ? "--rings needs a whole number from 4 to 200, not '" + text + "'"
                          : "--threads needs a whole number from 0 to 64, not '" + text + "'";
            return true;
        }
        (rings ? r.rings : r.threads) = static_cast<int>(v);
        return true;
    }
    return false;
}

std::string PreciseOptionsHelp() {
    std::string bands;
    for (const std::string& b : flux::BandNames()) bands += (bands.empty() ? "" : " ") + b;
    return "The flux engine (the light of the system's surfaces, without a picture):\n"
           "  --bands B1,B2,...         bands: " +
           bands +
           "\n"
           "                            (red, green, blue: the window's colours; default)\n"
           "  --ld-law [BAND=]LAW       limb-darkening law of every band or of one: linear\n"
           "                            (default), quadratic, sqrt, log, power2\n"
           "  --ld1 [BAND=]A[,B]        star 1's coefficients (default: linear with --w1)\n"
           "  --ld2 [BAND=]A[,B]        star 2's\n"
           "  --phases N                N phases from -0.25 to 0.75 (default 721)\n"
           "  --phase-list FILE         the phases in the file's first column\n"
           "  --times FILE --period P --epoch T0\n"
           "                            the times in the file's first column, phase (t-T0)/P\n"
           "  --absolute                fluxes in band intensity times separation squared\n"
           "                            (photon radiance for a filter) instead of relative to\n"
           "                            each band's brightest point\n"
           "  --rings N                 mesh rings per star (default 20)\n"
           "  --threads N               threads (default: one per core)\n" +
           PhysicsOptionsHelp();
}

bool RequestedPoints(const PreciseRequest& r, std::vector<double>& points,
                     std::vector<double>& phases, bool& times, std::string& error) {
    points.clear();
    phases.clear();
    times = !r.times.empty();
    if (times && !r.phaseList.empty()) {
        error = "--times and --phase-list do not go together";
        return false;
    }
    const bool periodAlone = r.periodAlone && r.periodGiven && !r.epochGiven;
    if (!periodAlone &&
        (times != (r.periodGiven && r.epochGiven) || r.periodGiven != r.epochGiven)) {
        error = "--times FILE, --period P and --epoch T0 go together";
        return false;
    }
    if (times) {
        if (!ReadColumn(r.times, points, error)) return false;
        for (double t : points) phases.push_back((t - r.epoch) / r.period);
        return true;
    }
    if (!r.phaseList.empty()) {
        if (!ReadColumn(r.phaseList, points, error)) return false;
        phases = points;
        return true;
    }
    points = PhaseGrid(r.phases);
    phases = points;
    return true;
}

std::vector<double> PhaseGrid(long n) {
    std::vector<double> phases;
    for (long k = 0; k < n; ++k)
        phases.push_back(n == 1 ? 0.0 : -0.25 + static_cast<double>(k) / (n - 1));
    return phases;
}

bool RequestedBands(const PreciseRequest& r, double w1, double w2,
                    std::vector<flux::BandSetup>& bands, std::string& error) {
    bands.clear();
    const double w[2] = {w1, w2};
    for (const std::string& name : r.bands) {
        flux::BandSetup setup;
        if (!flux::FindBand(name, setup.band, error)) return false;
        auto pick = [&](const auto& map) {
            auto it = map.find(name);
            if (it == map.end()) it = map.find(setup.band.name);
            if (it == map.end()) it = map.find("");
            return it;
        };
        std::string lawName = "linear";
        if (auto it = pick(r.law); it != r.law.end()) lawName = it->second;
        flux::LimbDarkening::Law law = flux::LimbDarkening::Law::Linear;
        flux::ParseLaw(lawName, law);
        for (int star = 0; star < 2; ++star) {
            const auto& given = star == 0 ? r.ld1 : r.ld2;
            auto it = pick(given);
            flux::LimbDarkening ld{law, w[star], 0};
            const bool twoCoefficients = law != flux::LimbDarkening::Law::Linear;
            if (it == given.end()) {
                if (twoCoefficients) {
                    error = "band " + setup.band.name + " uses the " + lawName + " law: give " +
                            (star == 0 ? "--ld1" : "--ld2") + " " + setup.band.name + "=A,B";
                    return false;
                }
            } else {
                const std::vector<double>& c = it->second;
                if (c.size() != (twoCoefficients ? 2u : 1u)) {
                    error = "the " + lawName + " law takes " + (twoCoefficients ? "two" : "one") +
                            " coefficient" + (twoCoefficients ? "s" : "") + " per star (" +
                            (star == 0 ? "--ld1" : "--ld2") + " for band " + setup.band.name + ")";
                    return false;
                }
                ld.a = c[0];
                ld.b = c.size() > 1 ? c[1] : 0;
            }
            (star == 0 ? setup.ld1 : setup.ld2) = ld;
        }
        bands.push_back(setup);
    }
    return true;
}

flux::BinaryParameters EngineParameters(const MainForm& form) {
    flux::WindowSwitches switches;
    switches.tidal = form.chkSpherical.checked;
    switches.stefan = form.chkStefan.checked;
    switches.twoStars = form.TwoStarsCheck.checked;
    switches.neck = form.chkNeck.checked;
    return flux::FromWindowModel(form.model, switches);
}

std::unique_ptr<flux::LightCurveModel> EngineModel(const flux::BinaryParameters& system,
                                                   const PreciseRequest& r, std::string& error) {
    flux::BinaryParameters parameters = system;
    std::vector<flux::BandSetup> bands;
    if (!RequestedBands(r, parameters.w1, parameters.w2, bands, error)) return nullptr;
    if (!ApplyPhysics(r.physics, parameters, bands, error)) return nullptr;
    flux::EngineOptions options;
    options.rings = r.rings;
    options.threads = r.threads;
    try {
        return std::make_unique<flux::LightCurveModel>(parameters, std::move(bands), options);
    } catch (const std::exception& e) {
        error = e.what();
        return nullptr;
    }
}

std::unique_ptr<flux::LightCurveModel> PreciseModel(MainForm& form, const PreciseRequest& r,
                                                    std::string& error) {
    form.chkPhotometry.checked = false;  // the picture is not measured
    form.Refresh_Click();
    return EngineModel(EngineParameters(form), r, error);
}

}  // namespace vp
