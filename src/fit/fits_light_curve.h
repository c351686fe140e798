// Light curves of the TESS and Kepler missions as their archives hand them out: a FITS file
// whose binary table holds TIME (days from the mission's reference, BTJD or BKJD), the flux
// (PDCSAP_FLUX, else SAP_FLUX) with its error column and the QUALITY flags of every row.
#pragma once

#include <cstdint>
#include <string>

#include "fit/observed_text.h"

namespace vp::fit {

struct FitsSettings {
    std::string fluxColumn;  // empty: PDCSAP_FLUX, or SAP_FLUX when the table has none
    // Rows whose QUALITY shares a bit with the mask are left out (all flags by default).
    std::uint32_t qualityMask = 0xFFFFFFFFu;
    double period = 0;  // the times are phased with these
    double epoch = 0;   // BJD
};

struct FitsNotes {
    std::string telescope;   // TELESCOP as the file gives it ("TESS", "Kepler"), or empty
    std::string fluxColumn;  // the column read
    bool errorColumn = false;
    double timeOffset = 0;  // added to TIME to make BJD
    long rows = 0;          // rows of the table
    long flagged = 0;       // left out for their quality flags
    long missing = 0;       // left out for a time, flux or error that is not a number
};

// Reads the table into curve (times in BJD, fluxes, their errors when the table has them);
// false with a message naming the file and, where one is at fault, the column.
bool ReadFitsLightCurve(const std::string& path, const FitsSettings& settings, ObservedCurve& curve,
                        FitsNotes& notes, std::string& error);

// Whether the file begins as a FITS file does ("SIMPLE  =").
bool LooksLikeFits(const std::string& path);

}  // namespace vp::fit
