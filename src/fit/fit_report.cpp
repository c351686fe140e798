#include "fit/fit_report.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/number_text.h"

namespace vp::fit {
namespace {

std::string Printed(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

// A value with as many decimals as its uncertainty's two leading digits need.
std::string WithSigma(double value, double sigma) {
    if (!(sigma > 0) || !std::isfinite(sigma)) return Printed("%.8g", value);
    const int decimals = std::clamp(1 - static_cast<int>(std::floor(std::log10(sigma))), 0, 12);
    return Printed(("%." + std::to_string(decimals) + "f").c_str(), value);
}

// Six significant digits, enough for any value the fit reaches.
std::string Rounded(double value) {
    return Printed("%.6g", value);
}

std::string Padded(std::string text, std::size_t width) {
    // The width counts characters, not bytes.
    std::size_t shown = 0;
    for (unsigned char c : text) shown += (c & 0xC0) != 0x80;
    if (shown < width) text += std::string(width - shown, ' ');
    return text;
}

std::string JsonText(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            out += Printed("\\u%04x", c);
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

std::string JsonNumber(double value) {
    return std::isfinite(value) ? Printed("%.17g", value) : "null";
}

std::string QuantityLabel(const Quantity& q, const FitProblem& problem) {
    if (q.file >= 0)
        return q.name + " (" + problem.Data()[static_cast<std::size_t>(q.file)].bandName + ")";
    return q.name;
}

std::string FixedValues(const FitProblem& problem) {
    const ParameterMap& map = problem.Map();
    const FitValues& s = map.Start();
    auto isFree = [&](Parameter p) {
        for (Parameter f : map.FreeList())
            if (f == p) return true;
        return false;
    };
    std::string fixed = "t1 = " + FormatNumber(s.system.t1) + " K";
    for (Parameter p : {Parameter::Q, Parameter::Incl, Parameter::R1, Parameter::R2, Parameter::T2,
                        Parameter::L3}) {
        if (isFree(p)) continue;
        if ((p == Parameter::R1 && map.DerivedRadius() == 1) ||
            (p == Parameter::R2 && map.DerivedRadius() == 2))
            continue;
        fixed += std::string(", ") + ParameterName(p) + " = " + FormatNumber(s.Get(p)) +
                 (p == Parameter::T2 ? " K" : p == Parameter::Incl ? "\u00b0" : "");
    }
    return fixed;
}

// Whether a free parameter belongs to the physics besides the window's.
bool FreesPhysics(const ParameterMap& map) {
    for (Parameter p : map.FreeList())
        if (p.kind >= Parameter::Gd1) return true;
    return false;
}

// The physics line of the report: what was held fixed, or, with some of it free, the values
// at the fit.
std::string PhysicsLine(const ParameterMap& map, const FitOutcome& o,
                        const ReportContext& context) {
    if (!FreesPhysics(map)) return context.physics;
    return PhysicsText(o.values.system);
}

}  // namespace

std::vector<std::string> OutcomeNotes(const FitOutcome& o) {
    std::vector<std::string> notes;
    const Quantity* ecc = nullptr;
    bool omegaFree = false;
    for (const Quantity& q : o.quantities) {
        if (q.name == "ecc") ecc = &q;
        if (q.name == "omega") omegaFree = true;
    }
    if (ecc && omegaFree && !(ecc->value > 2 * ecc->sigma))
        notes.push_back("e = " + Rounded(ecc->value) +
                        " is within two uncertainties of 0: the orbit may be circular, and "
                        "omega is then not determined (e cos omega and e sin omega were "
                        "fitted)");
    return notes;
}

std::string PhysicsText(const flux::BinaryParameters& s) {
    std::string text;
    auto add = [&](const std::string& part) { text += (text.empty() ? "" : "; ") + part; };
    if (s.gd1 != 0 || s.gd2 != 0)
        add("gravity darkening beta1 = " + Rounded(s.gd1) + ", beta2 = " + Rounded(s.gd2));
    if (s.alb1 != 0 || s.alb2 != 0)
        add("reflection, albedos " + Rounded(s.alb1) + " and " + Rounded(s.alb2));
    for (std::size_t k = 0; k < s.spots.size(); ++k) {
        const flux::Spot& spot = s.spots[k];
        add("spot " + std::to_string(k + 1) + " on star " + std::to_string(spot.star) +
            ": latitude " + Rounded(spot.latitude) + "\u00b0, longitude " +
            Rounded(spot.longitude) + "\u00b0, radius " + Rounded(spot.radius) +
            "\u00b0, temperature factor " + Rounded(spot.temperatureFactor));
    }
    if (s.ecc != 0)
        add("eccentric orbit, e = " + Rounded(s.ecc) + ", omega = " + Rounded(s.omega) +
            "\u00b0");
    return text;
}

bool FitConverged(const FitOutcome& o) {
    return o.optimiser.converged && !o.optimiser.interrupted;
}

std::string FitStatus(const FitOutcome& o) {
    if (o.optimiser.interrupted) return "interrupted";
    return o.optimiser.converged ? "converged" : "did not converge";
}

std::string ParameterLine(const FitOutcome& o) {
    std::string line;
    for (const Quantity& q : o.quantities) {
        if (q.file >= 0) continue;
        const std::string name = q.name == "incl" ? "i" : q.name == "t2" ? "T2" : q.name;
        if (!line.empty()) line += ", ";
        line += name + " = " + WithSigma(q.value, q.sigma);
        if (std::isfinite(q.sigma)) line += " \u00b1 " + Printed("%.2g", q.sigma);
        if (q.unit == "deg") line += "\u00b0";
        if (q.unit == "K") line += " K";
    }
    return line;
}

std::string TextReport(const FitProblem& problem, const FitOutcome& o,
                       const ReportContext& context) {
    const ParameterMap& map = problem.Map();
    const FitValues& start = map.Start();
    std::string text;
    if (!context.system.empty()) text += "start: " + context.system + "\n";
    for (std::size_t d = 0; d < problem.Data().size(); ++d) {
        const Dataset& set = problem.Data()[d];
        const FileSummary& f = context.files[d];
        text += "file " + std::to_string(d + 1) + ": " + f.source + ", band " + set.bandName +
                ", " + std::to_string(set.curve.value.size()) + " " +
                (set.curve.magnitudes ? "magnitudes" : "fluxes") +
                (set.curve.times ? " at times" : " at phases") + "; errors: " + f.errors +
                (f.notes.empty() ? "" : "; " + f.notes) + "\n";
    }
    if (problem.Data().front().curve.times)
        text += "ephemeris (start): P = " + FormatNumber(start.period) +
                ", T0 = " + FormatNumber(start.t0) + "\n";
    text += std::string("configuration: ") + ConfigurationName(map.Config());
    if (map.DerivedRadius())
        text += " (star " + std::to_string(map.DerivedRadius()) + " fills its Roche lobe)";
    text += "\nfree: ";
    for (std::size_t k = 0; k < map.Size(); ++k)
        text += (k ? ", " : "") + std::string(ParameterName(map.Free(k)));
    text += "; fixed: " + FixedValues(problem) + "\n";
    if (!context.limbDarkening.empty()) text += "limb darkening: " + context.limbDarkening + "\n";
    const std::string physics = PhysicsLine(map, o, context);
    if (!physics.empty())
        text += std::string(FreesPhysics(map) ? "physics (at the fit)" : "physics (fixed)") +
                ": " + physics + "\n";
    for (const std::string& note : context.notes) text += "note: " + note + "\n";
    text += "optimiser: Levenberg-Marquardt (Ceres Solver), " +
            std::to_string(o.optimiser.startsRun) + " start" +
            (o.optimiser.startsRun == 1 ? "" : "s") +
            (o.optimiser.startsRun > 1 ? " (best: " + std::to_string(o.optimiser.bestStart) + ")"
                                       : "") +
            ", " + std::to_string(o.optimiser.iterations) + " iterations, " +
            std::to_string(o.evaluations) + " model evaluations, " + Printed("%.1f", o.seconds) +
            " s\n";
    text += "result: " + FitStatus(o);
    if (!o.optimiser.message.empty() && !o.optimiser.interrupted)
        text += " (" + o.optimiser.message + ")";
    if (!FitConverged(o)) text += "; the best solution met so far follows";
    text += "\n\n";

    const bool posterior = o.posterior.run && !o.posterior.samples.empty();
    text += Padded("parameter", 24) + Padded("value", 18) + "sigma";
    if (posterior) text += "        median        -          +";
    text += "\n";
    for (std::size_t k = 0; k < o.quantities.size(); ++k) {
        const Quantity& q = o.quantities[k];
        std::string line = Padded(QuantityLabel(q, problem), 24) +
                           Padded(WithSigma(q.value, q.sigma), 18) +
                           Padded(std::isfinite(q.sigma) ? Printed("%.3g", q.sigma) : "-", 12);
        if (posterior)
            line +=
                Padded(WithSigma(o.posterior.median[k], o.posterior.high[k] - o.posterior.low[k]),
                       14) +
                Padded(Printed("%.3g", o.posterior.median[k] - o.posterior.low[k]), 11) +
                Padded(Printed("%.3g", o.posterior.high[k] - o.posterior.median[k]), 11);
        line += q.unit;
        if (q.derived) line += " (follows q: the star fills its Roche lobe)";
        if (q.atBound) line += " (at its bound)";
        while (!line.empty() && line.back() == ' ') line.pop_back();
        text += line + "\n";
    }
    if (!o.covariance.determined && !o.optimiser.interrupted)
        text += "no uncertainties: " + o.covariance.note + "\n";
    for (const std::string& note : OutcomeNotes(o)) text += "note: " + note + "\n";
    text += "\n";
    const double dof = static_cast<double>(o.points) - static_cast<double>(problem.Parameters());
    text += "chi-squared " + Printed("%.6g", o.chi2) + " for " + Printed("%.0f", dof) +
            " degrees of freedom; reduced chi-squared " +
            Printed("%.5g", dof > 0 ? o.chi2 / dof : NAN) +
            (o.covariance.determined ? " (the uncertainties above are scaled by it)" : "") + "\n";
    for (std::size_t d = 0; d < o.files.size(); ++d) {
        const FileStatistics& s = o.files[d];
        const bool mag = problem.Data()[d].curve.magnitudes;
        text += "file " + std::to_string(d + 1) + " (" + problem.Data()[d].bandName +
                "): " + std::to_string(s.points) + " points, RMS " + Printed("%.4g", s.rms) +
                (mag ? " mag" : "") + ", chi-squared " + Printed("%.6g", s.chi2) + "\n";
    }
    if (o.posterior.run) {
        text += "sampler: " + std::to_string(o.posterior.walkers) + " walkers, " +
                std::to_string(o.posterior.steps) + " steps (the first " +
                std::to_string(o.posterior.burnIn) + " dropped), acceptance " +
                Printed("%.2f", o.posterior.acceptance) + ", " + Printed("%.1f", o.samplerSeconds) +
                " s" + (o.posterior.interrupted ? "; interrupted" : "") +
                "; median and the 16th and 84th percentiles\n";
    }
    return text;
}

std::string JsonReport(const FitProblem& problem, const FitOutcome& o,
                       const ReportContext& context) {
    const ParameterMap& map = problem.Map();
    std::string j = "{\n";
    j += "  \"status\": " + JsonText(FitStatus(o)) + ",\n";
    j += "  \"converged\": " + std::string(FitConverged(o) ? "true" : "false") + ",\n";
    j += "  \"interrupted\": " + std::string(o.optimiser.interrupted ? "true" : "false") + ",\n";
    j += "  \"message\": " + JsonText(o.optimiser.message) + ",\n";
    j += "  \"start\": " + JsonText(context.system) + ",\n";
    j += "  \"configuration\": " + JsonText(ConfigurationName(map.Config())) + ",\n";
    j += "  \"physics\": " + JsonText(PhysicsLine(map, o, context)) + ",\n";
    j += "  \"free\": [";
    for (std::size_t k = 0; k < map.Size(); ++k)
        j += (k ? ", " : "") + JsonText(ParameterName(map.Free(k)));
    j += "],\n";
    const FitValues& v = o.values;
    j += "  \"system\": {\"q\": " + JsonNumber(v.system.q) +
         ", \"incl\": " + JsonNumber(v.system.incl) + ", \"r1\": " + JsonNumber(v.system.r1) +
         ", \"r2\": " + JsonNumber(v.system.r2) + ", \"t1\": " + JsonNumber(v.system.t1) +
         ", \"t2\": " + JsonNumber(v.system.t2) + ", \"w1\": " + JsonNumber(v.system.w1) +
         ", \"w2\": " + JsonNumber(v.system.w2) + ", \"l3\": " + JsonNumber(v.l3);
    if (problem.Data().front().curve.times)
        j += ", \"t0\": " + JsonNumber(v.t0) + ", \"period\": " + JsonNumber(v.period);
    j += ", \"gd1\": " + JsonNumber(v.system.gd1) + ", \"gd2\": " + JsonNumber(v.system.gd2) +
         ", \"alb1\": " + JsonNumber(v.system.alb1) + ", \"alb2\": " + JsonNumber(v.system.alb2) +
         ", \"ecc\": " + JsonNumber(v.system.ecc) + ", \"omega\": " + JsonNumber(v.system.omega) +
         ", \"spots\": [";
    for (std::size_t k = 0; k < v.system.spots.size(); ++k) {
        const flux::Spot& spot = v.system.spots[k];
        j += std::string(k ? ", " : "") + "{\"star\": " + std::to_string(spot.star) +
             ", \"lat\": " + JsonNumber(spot.latitude) + ", \"lon\": " + JsonNumber(spot.longitude) +
             ", \"radius\": " + JsonNumber(spot.radius) +
             ", \"tfactor\": " + JsonNumber(spot.temperatureFactor) + "}";
    }
    j += "]},\n";
    j += "  \"parameters\": [\n";
    const bool posterior = o.posterior.run && !o.posterior.samples.empty();
    for (std::size_t k = 0; k < o.quantities.size(); ++k) {
        const Quantity& q = o.quantities[k];
        j += "    {\"name\": " + JsonText(q.name) + ", \"value\": " + JsonNumber(q.value) +
             ", \"sigma\": " + JsonNumber(q.sigma) + ", \"unit\": " + JsonText(q.unit) +
             ", \"derived\": " + (q.derived ? "true" : "false") +
             ", \"at_bound\": " + (q.atBound ? "true" : "false");
        if (q.file >= 0) j += ", \"file\": " + std::to_string(q.file + 1);
        if (posterior)
            j += ", \"mcmc\": {\"median\": " + JsonNumber(o.posterior.median[k]) +
                 ", \"p16\": " + JsonNumber(o.posterior.low[k]) +
                 ", \"p84\": " + JsonNumber(o.posterior.high[k]) + "}";
        j += std::string("}") + (k + 1 < o.quantities.size() ? "," : "") + "\n";
    }
    j += "  ],\n";
    const double dof = static_cast<double>(o.points) - static_cast<double>(problem.Parameters());
    j += "  \"chi2\": " + JsonNumber(o.chi2) + ",\n";
    j += "  \"degrees_of_freedom\": " + JsonNumber(dof) + ",\n";
    j += "  \"reduced_chi2\": " + JsonNumber(dof > 0 ? o.chi2 / dof : NAN) + ",\n";
    j += "  \"points\": " + std::to_string(o.points) + ",\n";
    j += "  \"covariance_note\": " + JsonText(o.covariance.note) + ",\n";
    j += "  \"files\": [\n";
    for (std::size_t d = 0; d < o.files.size(); ++d) {
        const Dataset& set = problem.Data()[d];
        const FileStatistics& s = o.files[d];
        j += "    {\"source\": " + JsonText(set.source) + ", \"band\": " + JsonText(set.bandName) +
             ", \"magnitudes\": " + (set.curve.magnitudes ? "true" : "false") +
             ", \"times\": " + (set.curve.times ? "true" : "false") +
             ", \"points\": " + std::to_string(s.points) + ", \"rms\": " + JsonNumber(s.rms) +
             ", \"chi2\": " + JsonNumber(s.chi2) + ", \"sigma\": " + JsonNumber(s.sigma) +
             ", \"errors\": " + JsonText(context.files[d].errors) +
             ", \"notes\": " + JsonText(context.files[d].notes) + "}" +
             (d + 1 < o.files.size() ? "," : "") + "\n";
    }
    j += "  ],\n";
    j += "  \"optimiser\": {\"method\": \"Levenberg-Marquardt (Ceres Solver)\", \"starts\": " +
         std::to_string(o.optimiser.startsRun) +
         ", \"best_start\": " + std::to_string(o.optimiser.bestStart) +
         ", \"iterations\": " + std::to_string(o.optimiser.iterations) +
         ", \"model_evaluations\": " + std::to_string(o.evaluations) +
         ", \"seconds\": " + JsonNumber(o.seconds) + "},\n";
    if (o.posterior.run)
        j += "  \"mcmc\": {\"walkers\": " + std::to_string(o.posterior.walkers) +
             ", \"steps\": " + std::to_string(o.posterior.steps) +
             ", \"burn_in\": " + std::to_string(o.posterior.burnIn) +
             ", \"acceptance\": " + JsonNumber(o.posterior.acceptance) +
             ", \"seconds\": " + JsonNumber(o.samplerSeconds) +
             ", \"interrupted\": " + (o.posterior.interrupted ? "true" : "false") + "},\n";
    std::vector<std::string> notes = context.notes;
    for (const std::string& note : OutcomeNotes(o)) notes.push_back(note);
    j += "  \"notes\": [";
    for (std::size_t k = 0; k < notes.size(); ++k) j += (k ? ", " : "") + JsonText(notes[k]);
    j += "]\n}\n";
    return j;
}

}  // namespace vp::fit
