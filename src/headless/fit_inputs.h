// The observations of a fit: text files in the forms compare reads (with an optional error
// column), the light-curve FITS files of TESS and Kepler, and columns of numbers held in memory
// (the Python module's arrays), each with its band.
#pragma once

#include <string>
#include <vector>

#include "fit/fit_problem.h"
#include "fit/fit_report.h"

namespace vp {

struct FileRequest {
    std::string path;  // the file; for columns, the name the messages and the report give them
    std::string band;         // empty: from the FITS file's telescope
    int magnitudes = -1;      // text files: 1 magnitudes, 0 fluxes, -1 as the header says
    std::string fluxColumn;   // FITS: the flux column
    std::string qualityMask;  // FITS: the QUALITY bits that leave a row out
    // Columns instead of a file: the first column (phases, or times with an ephemeris), the
    // values and, when not empty, the error of each value. magnitudes is then 0 or 1.
    bool columns = false;
    std::vector<double> x, value, error;
};

struct Ephemeris {
    bool times = false;  // --period and --epoch given: the first columns hold times
    double period = 0, epoch = 0;
};

// Reads every file (or takes every set of columns) into a data set (its errors from the file,
// or from the scatter of its points); false with a message naming the file and the line or
// column at fault (for columns, the row counted from 1).
bool ReadFitFiles(const std::vector<FileRequest>& requests, const Ephemeris& ephemeris,
                  std::vector<fit::Dataset>& data, std::vector<fit::FileSummary>& summaries,
                  std::string& error);

}  // namespace vp
