// The observation files of vandrel-cli fit: text files in the forms compare reads (with an
// optional error column) and the light-curve FITS files of TESS and Kepler, each with its band.
#pragma once

#include <string>
#include <vector>

#include "fit/fit_problem.h"
#include "fit/fit_report.h"

namespace vp {

struct FileRequest {
    std::string path;
    std::string band;         // empty: from the FITS file's telescope
    int magnitudes = -1;      // text files: 1 magnitudes, 0 fluxes, -1 as the header says
    std::string fluxColumn;   // FITS: the flux column
    std::string qualityMask;  // FITS: the QUALITY bits that leave a row out
};

struct Ephemeris {
    bool times = false;  // --period and --epoch given: the first columns hold times
    double period = 0, epoch = 0;
};

// Reads every file into a data set (its errors from the file, or from the scatter of its
// points); false with a message naming the file and the line or column at fault.
bool ReadFitFiles(const std::vector<FileRequest>& requests, const Ephemeris& ephemeris,
                  std::vector<fit::Dataset>& data, std::vector<fit::FileSummary>& summaries,
                  std::string& error);

}  // namespace vp
