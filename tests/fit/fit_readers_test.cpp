// The observation readers of the fit: the error column of text files, and light-curve FITS
// files as TESS and Kepler hand them out, made here with cfitsio.
#include <fitsio.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "core/atomic_file.h"
#include "fit/fits_light_curve.h"
#include "fit/observed_text.h"

namespace vp::fit {
namespace {

namespace fs = std::filesystem;

// A folder of the test's own, removed with everything in it when the test ends.
struct Folder {
    const fs::path path =
        fs::temp_directory_path() / ("vandrel-fit-readers-" + std::to_string(::getpid()));
    Folder() { fs::create_directories(path); }
    ~Folder() { fs::remove_all(path); }
};

struct Column {
    std::string name;
    std::string form;  // "1D", "1J", "8A"
    std::vector<double> values;
};

// A FITS file with an empty primary header and one binary table.
void WriteFits(const fs::path& path, const std::vector<Column>& columns,
               const std::vector<std::pair<std::string, std::string>>& textKeys,
               const std::vector<std::pair<std::string, double>>& numberKeys) {
    fs::remove(path);
    fitsfile* file = nullptr;
    int status = 0;
    ASSERT_EQ(fits_create_diskfile(&file, path.c_str(), &status), 0);
    fits_create_img(file, 8, 0, nullptr, &status);
    std::vector<char*> names, forms;
    for (const Column& c : columns) {
        names.push_back(const_cast<char*>(c.name.c_str()));
        forms.push_back(const_cast<char*>(c.form.c_str()));
    }
    const long rows = columns.empty() ? 0 : static_cast<long>(columns[0].values.size());
    fits_create_tbl(file, BINARY_TBL, rows, static_cast<int>(columns.size()), names.data(),
                    forms.data(), nullptr, "LIGHTCURVE", &status);
    for (const auto& [key, value] : textKeys)
        fits_update_key(file, TSTRING, key.c_str(), const_cast<char*>(value.c_str()), nullptr,
                        &status);
    for (const auto& [key, value] : numberKeys) {
        double v = value;
        fits_update_key(file, TDOUBLE, key.c_str(), &v, nullptr, &status);
    }
    for (std::size_t c = 0; c < columns.size(); ++c) {
        if (columns[c].form == "8A") {
            std::vector<std::string> texts(static_cast<std::size_t>(rows), "abc");
            std::vector<char*> pointers;
            for (auto& t : texts) pointers.push_back(t.data());
            fits_write_col(file, TSTRING, static_cast<int>(c + 1), 1, 1, rows, pointers.data(),
                           &status);
        } else {
            std::vector<double> v = columns[c].values;
            fits_write_col(file, TDOUBLE, static_cast<int>(c + 1), 1, 1, rows, v.data(), &status);
        }
    }
    fits_close_file(file, &status);
    ASSERT_EQ(status, 0);
}

TEST(FitReaders, TextFilesGiveTheirErrorColumnAndRefuseAnErrorThatIsNone) {
    ObservedSettings settings;
    settings.readErrors = true;
    ObservedCurve curve;
    std::string error;
    ASSERT_TRUE(
        ReadObserved("phase mag err\n0.1 12.5 0.01\n0.2 12.6 0.02\n", settings, curve, error))
        << error;
    EXPECT_EQ(curve.error, (std::vector<double>{0.01, 0.02}));
    // Without a header a third column is the error; under a header that names something
    // else it is not read.
    ASSERT_TRUE(ReadObserved("0.1, 12.5, 0.01\n", settings, curve, error));
    EXPECT_EQ(curve.error.size(), 1u);
    ASSERT_TRUE(ReadObserved("phase mag airmass\n0.1 12.5 1.3\n", settings, curve, error));
    EXPECT_TRUE(curve.error.empty());
    EXPECT_FALSE(ReadObserved("0.1 12.5 0.01\n0.2 12.6 0\n", settings, curve, error));
    EXPECT_EQ(error, "line 2: the error '0' in column 3 is not a number above 0");
    EXPECT_FALSE(ReadObserved("0.1 12.5 0.01\n0.2 12.6\n", settings, curve, error));
    EXPECT_EQ(error, "line 2: no error in column 3, which the lines before have");
}

TEST(FitReaders, ATessLightCurveGivesBjdFluxesAndErrorsWithoutFlaggedOrMissingRows) {
    const Folder folder;
    const fs::path path = folder.path / "tess.fits";
    WriteFits(path,
              {{"TIME", "1D", {1000.0, 1000.1, 1000.2, 1000.3}},
               {"PDCSAP_FLUX", "1D", {100, 101, NAN, 103}},
               {"PDCSAP_FLUX_ERR", "1D", {1, 1.5, 1, 1}},
               {"QUALITY", "1J", {0, 0, 0, 128}}},
              {{"TELESCOP", "TESS"}}, {{"BJDREFI", 2457000}, {"BJDREFF", 0}});
    FitsSettings settings;
    settings.period = 0.4;
    settings.epoch = 2458000;
    ObservedCurve curve;
    FitsNotes notes;
    std::string error;
    ASSERT_TRUE(ReadFitsLightCurve(path, settings, curve, notes, error)) << error;
    EXPECT_EQ(curve.x, (std::vector<double>{2458000.0, 2458000.1}));
    EXPECT_EQ(curve.value, (std::vector<double>{100, 101}));
    EXPECT_EQ(curve.error, (std::vector<double>{1, 1.5}));
    EXPECT_EQ(curve.line, (std::vector<long>{1, 2}));
    EXPECT_NEAR(curve.phase[1], 0.25, 1e-9);
    EXPECT_FALSE(curve.magnitudes);
    EXPECT_EQ(notes.telescope, "TESS");
    EXPECT_EQ(notes.flagged, 1);
    EXPECT_EQ(notes.missing, 1);

    // Kepler's reference when the header does not give it; SAP_FLUX when there is no PDC flux.
    WriteFits(path, {{"TIME", "1D", {100.0}}, {"SAP_FLUX", "1D", {5}}}, {{"TELESCOP", "Kepler"}},
              {});
    ASSERT_TRUE(ReadFitsLightCurve(path, settings, curve, notes, error)) << error;
    EXPECT_EQ(curve.x, std::vector<double>{2454933.0});
    EXPECT_EQ(notes.fluxColumn, "SAP_FLUX");
    EXPECT_TRUE(curve.error.empty());
}

TEST(FitReaders, AFitsFileTheReaderCannotUseIsAnsweredWithTheColumnAtFault) {
    const Folder folder;
    const fs::path path = folder.path / "bad.fits";
    FitsSettings settings;
    settings.period = 1;
    ObservedCurve curve;
    FitsNotes notes;
    std::string error;
    WriteFits(path, {{"FLUX", "1D", {1}}}, {{"TELESCOP", "TESS"}}, {});
    EXPECT_FALSE(ReadFitsLightCurve(path, settings, curve, notes, error));
    EXPECT_EQ(error, "the FITS table has no column TIME");
    WriteFits(path, {{"TIME", "8A", {0}}, {"SAP_FLUX", "1D", {1}}}, {{"TELESCOP", "TESS"}}, {});
    EXPECT_FALSE(ReadFitsLightCurve(path, settings, curve, notes, error));
    EXPECT_EQ(error, "FITS column TIME does not hold numbers");
    WriteFits(path, {{"TIME", "1D", {1}}, {"SAP_FLUX", "1D", {1}}}, {{"TELESCOP", "Mars"}}, {});
    EXPECT_FALSE(ReadFitsLightCurve(path, settings, curve, notes, error));
    EXPECT_NE(error.find("FITS column TIME: the header gives no BJDREFI"), std::string::npos)
        << error;
    // A file cut short, and one that only begins like FITS: a message, no crash.
    std::string bytes;
    WriteFits(path, {{"TIME", "1D", {1, 2, 3}}, {"SAP_FLUX", "1D", {1, 2, 3}}},
              {{"TELESCOP", "TESS"}}, {});
    ASSERT_TRUE(ReadWholeFile(path, bytes));
    ASSERT_TRUE(WriteFileAtomically(path, bytes.substr(0, 4000)));
    EXPECT_FALSE(ReadFitsLightCurve(path, settings, curve, notes, error));
    EXPECT_FALSE(error.empty());
    ASSERT_TRUE(WriteFileAtomically(path, "SIMPLE  = nonsense"));
    EXPECT_TRUE(LooksLikeFits(path));
    EXPECT_FALSE(ReadFitsLightCurve(path, settings, curve, notes, error));
    EXPECT_NE(error.find("not a FITS file"), std::string::npos) << error;
}

}  // namespace
}  // namespace vp::fit
