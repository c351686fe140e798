#include "headless/fit_inputs.h"

#include <cstdio>
#include <cstdlib>

#include "core/atomic_file.h"
#include "core/number_text.h"
#include "fit/fits_light_curve.h"
#include "flux/passband.h"

namespace vp {
namespace {

std::string Shown(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.4g", value);
    return text;
}

bool ParseMask(const std::string& text, std::uint32_t& mask) {
    if (text.empty() || text == "all") {
        mask = 0xFFFFFFFFu;
        return true;
    }
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text.c_str(), &end, 0);
    if (end == text.c_str() || *end != '\0' || value > 0xFFFFFFFFull || text[0] == '-')
        return false;
    mask = static_cast<std::uint32_t>(value);
    return true;
}

bool ReadColumns(const FileRequest& request, const Ephemeris& ephemeris, fit::ObservedCurve& curve,
                 std::string& error) {
    const std::size_t n = request.x.size();
    if (request.value.size() != n || (!request.error.empty() && request.error.size() != n)) {
        error =
            "the columns differ in length (" + std::to_string(n) + " " +
            (ephemeris.times ? "times" : "phases") + ", " + std::to_string(request.value.size()) +
            " values" +
            (request.error.empty() ? "" : ", " + std::to_string(request.error.size()) + " errors") +
            ")";
        return false;
    }
    if (n == 0) {
        error = "no observations";
        return false;
    }
    fit::ObservedSettings settings;
    settings.times = ephemeris.times;
    settings.period = ephemeris.period;
    settings.epoch = ephemeris.epoch;
    curve = fit::ObservedCurve();
    curve.times = ephemeris.times;
    curve.magnitudes = request.magnitudes != 0;
    for (std::size_t i = 0; i < n; ++i) {
        const double* sigma = request.error.empty() ? nullptr : &request.error[i];
        if (!fit::AddObservation(request.x[i], request.value[i], sigma, curve.magnitudes, settings,
                                 curve, error)) {
            error = "row " + std::to_string(i + 1) + ": " + error;
            return false;
        }
    }
    return true;
}

}  // namespace

bool ReadFitFiles(const std::vector<FileRequest>& requests, const Ephemeris& ephemeris,
                  std::vector<fit::Dataset>& data, std::vector<fit::FileSummary>& summaries,
                  std::string& error) {
    data.clear();
    summaries.clear();
    for (const FileRequest& request : requests) {
        fit::Dataset set;
        fit::FileSummary summary;
        set.source = summary.source = request.path;
        const std::string where = request.path + ": ";
        if (request.columns) {
            if (!ReadColumns(request, ephemeris, set.curve, error)) {
                error = where + error;
                return false;
            }
            set.bandName = request.band;
            summary.errors = set.curve.error.empty() ? "" : "the errors given";
        } else if (fit::LooksLikeFits(request.path)) {
            if (request.magnitudes == 1) {
                error = where + "a FITS light curve holds fluxes, not magnitudes";
                return false;
            }
            fit::FitsSettings settings;
            settings.fluxColumn = request.fluxColumn;
            if (!ParseMask(request.qualityMask, settings.qualityMask)) {
                error =
                    "--quality-mask needs a whole number from 0 to 4294967295 (or 0x...) or "
                    "'all', not '" +
                    request.qualityMask + "'";
                return false;
            }
            if (!ephemeris.times) {
                error = where +
                        "a FITS light curve holds times: phase them with --period P "
                        "--epoch T0 (T0 as a BJD)";
                return false;
            }
            settings.period = ephemeris.period;
            settings.epoch = ephemeris.epoch;
            fit::FitsNotes notes;
            if (!fit::ReadFitsLightCurve(request.path, settings, set.curve, notes, error)) {
                error = where + error;
                return false;
            }
            set.bandName = request.band;
            if (set.bandName.empty()) {
                if (notes.telescope == "TESS" || notes.telescope == "Kepler")
                    set.bandName = notes.telescope;
                else if (notes.telescope == "K2")
                    set.bandName = "Kepler";
            }
            summary.notes = notes.fluxColumn + " of " +
                            (notes.telescope.empty() ? "the table" : notes.telescope) +
                            ", times + " + FormatNumber(notes.timeOffset) + " = BJD";
            if (notes.flagged || notes.missing)
                summary.notes += ", " + std::to_string(notes.rows) + " rows of which " +
                                 std::to_string(notes.flagged) +
                                 " left out for quality flags and " +
                                 std::to_string(notes.missing) + " for missing values";
            summary.errors = notes.errorColumn ? "column " + notes.fluxColumn + "_ERR" : "";
        } else {
            if (!request.fluxColumn.empty() || !request.qualityMask.empty()) {
                error = where +
                        "--flux-column and --quality-mask belong to FITS files; this is a "
                        "text file";
                return false;
            }
            std::string text;
            if (!ReadWholeFile(request.path, text, &error)) {
                error = "cannot read " + request.path + ": " + error;
                return false;
            }
            fit::ObservedSettings settings;
            settings.times = ephemeris.times;
            settings.period = ephemeris.period;
            settings.epoch = ephemeris.epoch;
            settings.magnitudes = request.magnitudes;
            settings.readErrors = true;
            if (!fit::ReadObserved(text, settings, set.curve, error)) {
                error = where + error;
                return false;
            }
            set.bandName = request.band;
            summary.errors = set.curve.error.empty() ? "" : "the file's third column";
        }
        if (set.bandName.empty()) {
            error = where +
                    "name its band with --band after the file (U B V R I u g r i z G BP "
                    "RP TESS Kepler)";
            return false;
        }
        flux::Band band;
        if (!flux::FindBand(set.bandName, band, error)) {
            error = where + error;
            return false;
        }
        set.bandName = band.name;
        if (set.curve.error.empty()) {
            const double sigma = fit::ScatterOfNeighbours(set.curve);
            set.sigma.assign(set.curve.value.size(), sigma);
            set.sigmaEstimated = true;
            summary.errors = "none in the file; " + Shown(sigma) +
                             (set.curve.magnitudes ? " mag" : "") +
                             " from the scatter of points neighbouring in phase";
        } else {
            set.sigma = set.curve.error;
        }
        summaries.push_back(summary);
        data.push_back(std::move(set));
    }
    return true;
}

}  // namespace vp
