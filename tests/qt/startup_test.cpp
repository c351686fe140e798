// The window right after start-up: caption, defaults, lists, panels, menu and pictures.
#include <QImage>
#include <QMenu>

#include "qt/gui_fixture.h"

namespace vp::qt::testing {
namespace {

using StartUp = WindowTest;

QRgb Pixel(const Surface& s, int x, int y) {
    const Colour c = s.PixelAt(x, y);
    return qRgb(RedOf(c), GreenOf(c), BlueOf(c));
}

TEST_F(StartUp, CaptionVersionAndClientSize) {
    EXPECT_EQ(window->windowTitle(), "Vandrel Pro 2.1.22 - Eclipsing Binary Stars");
    EXPECT_EQ(Find<QLabel>("Label27")->text(), "Version 2.1.22");
    EXPECT_EQ(window->centralWidget()->size(), QSize(1012, 675));
    EXPECT_EQ(form().clientWidth, 1012);
    EXPECT_EQ(form().clientHeight, 675);
    // The star picture is fitted to the client area: 1012 - 170 - 10 by 675 - 8 - 5 - 272 - 25.
    EXPECT_EQ(Find<QWidget>("Picture1")->size(), QSize(832, 365));
}

TEST_F(StartUp, ListsHoldTheAtlasAndTheHelpLines) {
    auto* atlas = Find<QListWidget>("StarNameList");
    ASSERT_EQ(atlas->count(), 324);
    EXPECT_EQ(atlas->item(0)->text(), "44i Boo (3)");
    EXPECT_EQ(atlas->item(323)->text(), "FZ Ori (Tev)");
    EXPECT_EQ(atlas->currentRow(), -1);
    auto* help = Find<QListWidget>("HelpList");
    ASSERT_EQ(help->count(), 15);
    EXPECT_EQ(
        help->item(0)->text(),
        "Inclinations are between 90\u00b0 for edge-on orbits and 0\u00b0 for face-on orbits.");
    EXPECT_EQ(help->item(14)->text(), "");
    EXPECT_GT(Find<QListWidget>("StarSizeList")->count(), 0);
    EXPECT_GT(Find<QListWidget>("RocheList")->count(), 0);
}

TEST_F(StartUp, PlotPanelChosenAndOtherPanelsHidden) {
    auto* plot = Find<QPushButton>("cmdPlot");
    EXPECT_TRUE(plot->font().bold());
    EXPECT_EQ(plot->font().pointSizeF(), 10);
    EXPECT_FALSE(Find<QPushButton>("HelpButton")->font().bold());
    EXPECT_TRUE(Find<QWidget>("PicturePlot")->isVisible());
    EXPECT_FALSE(Find<QWidget>("HelpAreaFrame")->isVisible());
    EXPECT_FALSE(Find<QWidget>("TestingAreaFrame")->isVisible());
    EXPECT_FALSE(Find<QWidget>("frameSaveBMP")->isVisible());
    EXPECT_FALSE(Find<QWidget>("frameMessage")->isVisible());
    EXPECT_FALSE(Find<QWidget>("lblSlideShow")->isVisible());
    EXPECT_EQ(Find<QPushButton>("SlideShow")->text(), "Start Slide Show");
}

TEST_F(StartUp, ParameterRowsAndSwitchesHoldTheirDefaults) {
    const std::pair<const char*, const char*> defaults[] = {
        {"txtIota", "82"},       {"Qratio", "2.4"},    {"txtN1", "7"},
        {"txtRadius1", "0.305"}, {"txtLimb1", "0.5"},  {"txtTemp1", "8200"},
        {"txtRadius2", "0.45"},  {"txtLimb2", "0.5"},  {"txtTemp2", "8200"},
        {"txtAnimSpeed", "5"},   {"txtZoom", "100"},   {"txtGamma", "0"},
        {"txtEta", "0"},         {"txtRotPer", "0.3"}, {"txtFilename", "vandrel1.csv"}};
    for (auto [name, text] : defaults) EXPECT_EQ(Text(name), text) << name;
    for (int k = 1; k <= 14; ++k) {
        auto* bar = Find<QScrollBar>(("VScroll" + std::to_string(k)).c_str());
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->minimum(), 0);
        EXPECT_EQ(bar->maximum(), 30000);
        EXPECT_EQ(bar->value(), 15000);
        EXPECT_FALSE(bar->hasTracking());
    }
    const std::pair<const char*, bool> checks[] = {
        {"AnimCheck", true}, {"chkPhotometry", true}, {"chkSpherical", true},  {"chkStefan", true},
        {"chkGran", false},  {"chkSimAreas", true},   {"TwoStarsCheck", true}, {"chkBMP", false},
        {"chkSave", false},  {"chkMag", true},        {"chkPaint", true},      {"chkDots", false},
        {"chkGrid", false}};
    for (auto [name, checked] : checks)
        EXPECT_EQ(Find<QAbstractButton>(name)->isChecked(), checked) << name;
    EXPECT_EQ(Find<QAbstractButton>("AnimCheck")->text(), "Animate    Step (\u00b0)");
    EXPECT_EQ(Find<QGroupBox>("FrameSwitches")->title(), " System Parameters ");
    EXPECT_NE(qobject_cast<QRadioButton*>(Find<QWidget>("chkDots")), nullptr);
    // The default system is in contact, so its first recompute checks "Contact Neck".
    EXPECT_TRUE(Find<QAbstractButton>("chkNeck")->isChecked());
}

TEST_F(StartUp, FileMenuCommandsInOrder) {
    QMenu* file = Find<QMenu>("mnuFile");
    QStringList texts;
    for (QAction* action : file->actions())
        texts << (action->isSeparator() ? QString("-") : action->text());
    EXPECT_EQ(texts, QStringList({"Save Star...", "Save Bitmap...", "Save Animation...",
                                  "Save Light Curve...", "-", "Load Star...", "-", "Exit"}));
}

TEST_F(StartUp, PicturesShowTheRastersAndThePlotMarker) {
    // A few frames so that the plot holds points and the marker has moved.
    for (int t = 0; t < 10; ++t) window->Timer1Tick();
    const QImage star = Find<QWidget>("Picture1")->grab().toImage();
    const Surface& picture = form().picture;
    int coloured = 0;
    for (int y = 0; y < picture.Height(); y += 7)
        for (int x = 0; x < picture.Width(); x += 7) {
            ASSERT_EQ(star.pixel(x, y), Pixel(picture, x, y)) << x << "," << y;
            if (picture.PixelAt(x, y) != kBlack) ++coloured;
        }
    EXPECT_GT(coloured, 100);

    const QImage plot = Find<QWidget>("PicturePlot")->grab().toImage();
    const Surface& raster = form().plotPicture;
    const int marker = form().Line1X;
    EXPECT_GT(marker, 0);
    int markerPixels = 0, points = 0;
    for (int y = 0; y < raster.Height(); ++y) {
        if (plot.pixel(marker, y) == qRgb(128, 128, 128)) ++markerPixels;
        for (int x = 0; x < raster.Width(); x += 3)
            if (x != marker && raster.PixelAt(x, y) != kBlack) {
                ++points;
                EXPECT_EQ(plot.pixel(x, y), Pixel(raster, x, y));
            }
    }
    EXPECT_EQ(markerPixels, raster.Height());
    EXPECT_GT(points, 0);
    // The marker is drawn over the plot, never into it.
    for (int y = 0; y < raster.Height(); ++y)
        EXPECT_NE(raster.PixelAt(marker, y), RGB(128, 128, 128));
}

}  // namespace
}  // namespace vp::qt::testing
