#include "fit/fits_light_curve.h"

#include <fitsio.h>
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

namespace vp::fit {
namespace {

// The archives' light curves are a few megabytes; this leaves room for any real one.
constexpr long kMostRows = 20000000;

struct Closer {
    void operator()(fitsfile* file) const {
        int status = 0;
        fits_close_file(file, &status);
    }
};
using FitsFile = std::unique_ptr<fitsfile, Closer>;

std::string StatusText(int status) {
    char text[FLEN_STATUS] = "";
    fits_get_errstatus(status, text);
    fits_clear_errmsg();
    return text;
}

bool ReadText(fitsfile* file, const char* key, std::string& value) {
    char text[FLEN_VALUE] = "";
    int status = 0;
    if (fits_read_key(file, TSTRING, key, text, nullptr, &status) != 0) {
        fits_clear_errmsg();
        return false;
    }
    value = text;
    return true;
}

bool ReadNumber(fitsfile* file, const char* key, double& value) {
    int status = 0;
    if (fits_read_key(file, TDOUBLE, key, &value, nullptr, &status) != 0) {
        fits_clear_errmsg();
        return false;
    }
    return std::isfinite(value);
}

// The column's number when the table has it as one number per row; 0 when it has no such
// column; -1 with a message when it has one of another kind.
int NumberColumn(fitsfile* file, const std::string& name, std::string& error) {
    int status = 0, number = 0;
    if (fits_get_colnum(file, CASEINSEN, const_cast<char*>(name.c_str()), &number, &status) != 0) {
        fits_clear_errmsg();
        return 0;
    }
    int type = 0;
    long repeat = 0, width = 0;
    if (fits_get_coltype(file, number, &type, &repeat, &width, &status) != 0) {
        error = "FITS column " + name + ": " + StatusText(status);
        return -1;
    }
    if (type < 0 || type == TSTRING || type == TLOGICAL || type == TBIT || type == TCOMPLEX ||
        type == TDBLCOMPLEX) {
        error = "FITS column " + name + " does not hold numbers";
        return -1;
    }
    if (repeat != 1) {
        error =
            "FITS column " + name + " holds " + std::to_string(repeat) + " values per row, not one";
        return -1;
    }
    return number;
}

bool ReadColumn(fitsfile* file, int column, const std::string& name, long rows, int type,
                void* values, std::string& error) {
    int status = 0, anyNull = 0;
    double nullValue = NAN;
    long nullInteger = 0;
    void* null = type == TDOUBLE ? static_cast<void*>(&nullValue) : &nullInteger;
    if (fits_read_col(file, type, column, 1, 1, rows, null, values, &anyNull, &status) != 0) {
        error = "FITS column " + name + ": " + StatusText(status);
        return false;
    }
    return true;
}

std::string Upper(std::string text) {
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

}  // namespace

bool LooksLikeFits(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    char start[9] = {};
    return in.read(start, 9) && std::string(start, 9) == "SIMPLE  =";
}

bool ReadFitsLightCurve(const std::string& path, const FitsSettings& settings, ObservedCurve& curve,
                        FitsNotes& notes, std::string& error) {
    curve = ObservedCurve();
    notes = FitsNotes();
    // Only a regular file: cfitsio would wait on a FIFO and read a device without end.
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "not a regular file";
        return false;
    }
    if (!(settings.period > 0)) {
        error = "the FITS table holds times: phase them with --period P --epoch T0";
        return false;
    }
    fitsfile* raw = nullptr;
    int status = 0;
    // The disk-file opener takes the name as it stands: no URLs, no [extension] syntax.
    if (fits_open_diskfile(&raw, path.c_str(), READONLY, &status) != 0) {
        error = "not a FITS file cfitsio can read (" + StatusText(status) + ")";
        return false;
    }
    FitsFile file(raw);
    ReadText(file.get(), "TELESCOP", notes.telescope);
    // The light curve: the table named LIGHTCURVE, else the first binary table.
    if (fits_movnam_hdu(file.get(), BINARY_TBL, const_cast<char*>("LIGHTCURVE"), 0, &status) != 0) {
        status = 0;
        fits_clear_errmsg();
        int hdus = 0, type = 0;
        fits_get_num_hdus(file.get(), &hdus, &status);
        bool found = false;
        for (int h = 2; h <= hdus && !found; ++h) {
            status = 0;
            found = fits_movabs_hdu(file.get(), h, &type, &status) == 0 && type == BINARY_TBL;
        }
        fits_clear_errmsg();
        if (!found) {
            error = "the FITS file holds no binary table (a light curve is one)";
            return false;
        }
    }
    std::string telescope;
    if (ReadText(file.get(), "TELESCOP", telescope)) notes.telescope = telescope;

    long rows = 0;
    status = 0;
    if (fits_get_num_rows(file.get(), &rows, &status) != 0) {
        error = "the FITS table: " + StatusText(status);
        return false;
    }
    if (rows > kMostRows) {
        error = "the FITS table has " + std::to_string(rows) + " rows, more than " +
                std::to_string(kMostRows);
        return false;
    }
    notes.rows = rows;

    const int timeColumn = NumberColumn(file.get(), "TIME", error);
    if (timeColumn < 0) return false;
    if (timeColumn == 0) {
        error = "the FITS table has no column TIME";
        return false;
    }
    notes.fluxColumn = Upper(settings.fluxColumn);
    int fluxColumn = 0;
    if (notes.fluxColumn.empty()) {
        for (const char* name : {"PDCSAP_FLUX", "SAP_FLUX"}) {
            fluxColumn = NumberColumn(file.get(), name, error);
            if (fluxColumn < 0) return false;
            if (fluxColumn > 0) {
                notes.fluxColumn = name;
                break;
            }
        }
        if (fluxColumn == 0) {
            error =
                "the FITS table has neither PDCSAP_FLUX nor SAP_FLUX (name one with "
                "--flux-column)";
            return false;
        }
    } else {
        fluxColumn = NumberColumn(file.get(), notes.fluxColumn, error);
        if (fluxColumn < 0) return false;
        if (fluxColumn == 0) {
            error = "the FITS table has no column " + notes.fluxColumn;
            return false;
        }
    }
    const std::string errorName = notes.fluxColumn + "_ERR";
    const int errorColumn = NumberColumn(file.get(), errorName, error);
    if (errorColumn < 0) return false;
    const int qualityColumn = NumberColumn(file.get(), "QUALITY", error);
    if (qualityColumn < 0) return false;
    notes.errorColumn = errorColumn > 0;

    // TIME counts days from the mission's reference: BJD = TIME + BJDREFI + BJDREFF.
    double integer = 0, fraction = 0;
    if (ReadNumber(file.get(), "BJDREFI", integer)) {
        ReadNumber(file.get(), "BJDREFF", fraction);
        notes.timeOffset = integer + fraction;
    } else if (ReadNumber(file.get(), "BJDREF", integer)) {
        notes.timeOffset = integer;
    } else if (Upper(notes.telescope) == "TESS") {
        notes.timeOffset = 2457000;  // BTJD
    } else if (Upper(notes.telescope) == "KEPLER" || Upper(notes.telescope) == "K2") {
        notes.timeOffset = 2454833;  // BKJD
    } else {
        error = "FITS column TIME: the header gives no BJDREFI and the telescope '" +
                notes.telescope +
                "' is neither TESS nor Kepler, so the times' reference is unknown";
        return false;
    }

    const auto n = static_cast<std::size_t>(rows);
    std::vector<double> time(n), flux(n), sigma(notes.errorColumn ? n : 0);
    std::vector<long> quality(qualityColumn > 0 ? n : 0);
    if (rows > 0 &&
        (!ReadColumn(file.get(), timeColumn, "TIME", rows, TDOUBLE, time.data(), error) ||
         !ReadColumn(file.get(), fluxColumn, notes.fluxColumn, rows, TDOUBLE, flux.data(), error) ||
         (notes.errorColumn &&
          !ReadColumn(file.get(), errorColumn, errorName, rows, TDOUBLE, sigma.data(), error)) ||
         (qualityColumn > 0 &&
          !ReadColumn(file.get(), qualityColumn, "QUALITY", rows, TLONG, quality.data(), error))))
        return false;

    curve.times = true;
    curve.magnitudes = false;
    curve.header = true;
    for (std::size_t i = 0; i < n; ++i) {
        if (!quality.empty() &&
            (static_cast<std::uint32_t>(quality[i]) & settings.qualityMask) != 0) {
            ++notes.flagged;
            continue;
        }
        const double t = time[i] + notes.timeOffset;
        if (!std::isfinite(t) || !std::isfinite(flux[i]) ||
            (notes.errorColumn && !(std::isfinite(sigma[i]) && sigma[i] > 0))) {
            ++notes.missing;
            continue;
        }
        const double cycles = (t - settings.epoch) / settings.period;
        if (!(std::fabs(cycles) < 1e9)) {
            error = "FITS column TIME, row " + std::to_string(i + 1) +
                    ": the time lies more than 10^9 periods from the epoch (give the epoch as "
                    "a BJD)";
            return false;
        }
        double phase = cycles - std::floor(cycles);
        if (phase >= 1) phase = 0;
        curve.x.push_back(t);
        curve.phase.push_back(phase);
        curve.value.push_back(flux[i]);
        if (notes.errorColumn) curve.error.push_back(sigma[i]);
        curve.line.push_back(static_cast<long>(i + 1));
    }
    if (curve.x.empty()) {
        error = "the FITS table has no usable rows (" + std::to_string(rows) + " rows, " +
                std::to_string(notes.flagged) + " with quality flags, " +
                std::to_string(notes.missing) + " without a number)";
        return false;
    }
    return true;
}

}  // namespace vp::fit
