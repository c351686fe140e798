// The three lower panels, their buttons' looks, and the details link of the help panel.
#include <QClipboard>

#include "qt/gui_fixture.h"

namespace vp::qt::testing {
namespace {

using Panels = WindowTest;

QColor ButtonColour(QWidget* button) {
    return button->palette().color(QPalette::Button);
}

TEST_F(Panels, HelpShowsTheHelpPanelInTheChosenLook) {
    auto* plot = Find<QPushButton>("cmdPlot");
    auto* help = Find<QPushButton>("HelpButton");
    auto* extras = Find<QPushButton>("cmdExtras");
    const QColor face = QApplication::palette(help).color(QPalette::Button);
    for (int click = 0; click < 2; ++click) {
        Click(help);
        EXPECT_TRUE(Find<QWidget>("HelpAreaFrame")->isVisible());
        EXPECT_FALSE(Find<QWidget>("PicturePlot")->isVisible());
        EXPECT_FALSE(Find<QWidget>("TestingAreaFrame")->isVisible());
        EXPECT_TRUE(help->font().bold());
        EXPECT_EQ(help->font().pointSizeF(), 10);
        EXPECT_EQ(ButtonColour(help), face);
        for (QPushButton* other : {plot, extras}) {
            EXPECT_FALSE(other->font().bold());
            EXPECT_EQ(other->font().pointSizeF(), 8);
            EXPECT_EQ(ButtonColour(other), QColor(128, 128, 128));
        }
    }
    EXPECT_EQ(Find<QListWidget>("HelpList")->count(), 15);
    EXPECT_TRUE(Find<QListWidget>("StarSizeList")->isVisible());

    Click(extras);
    EXPECT_TRUE(Find<QWidget>("TestingAreaFrame")->isVisible());
    EXPECT_FALSE(Find<QWidget>("HelpAreaFrame")->isVisible());
    EXPECT_TRUE(extras->font().bold());
    Click(plot);
    EXPECT_TRUE(Find<QWidget>("PicturePlot")->isVisible());
    EXPECT_FALSE(Find<QWidget>("TestingAreaFrame")->isVisible());
    EXPECT_EQ(ButtonColour(plot), face);
}

TEST_F(Panels, ExtrasPanelRowsWorkLikeTheOthers) {
    Click(Find<QPushButton>("cmdExtras"));
    ClickArrow(Find<QScrollBar>("VScroll4"), true);
    EXPECT_EQ(Text("txtEta"), "5");
    EXPECT_DOUBLE_EQ(form().model.Eta, Radians(5));
    Click(Find<QAbstractButton>("TwoStarsCheck"));
    EXPECT_FALSE(form().TwoStarsCheck.checked);
    // A paste is an edit without a key release: the box keeps the text, nothing recomputes
    // until the refresh button is pressed.
    QApplication::clipboard()->setText("0");
    QLineEdit* eta = Box("txtEta");
    eta->selectAll();
    eta->paste();
    EXPECT_EQ(form().txtEta.text, "0");
    EXPECT_DOUBLE_EQ(form().model.Eta, Radians(5));
    Click(Find<QPushButton>("Refresh"));
    EXPECT_EQ(form().model.Eta, 0);
}

TEST_F(Panels, TheDetailsLinkOpensTheDetailsPage) {
    Click(Find<QPushButton>("HelpButton"));
    auto* link = Find<QLabel>("Label16");
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->text().toStdString(), MainForm::DetailsPageAddress());
    EXPECT_EQ(link->palette().color(QPalette::Window), QColor(128, 128, 255));
    Click(link);
    ASSERT_EQ(port.opened.size(), 1u);
    EXPECT_EQ(port.opened[0], MainForm::DetailsPageAddress());
}

}  // namespace
}  // namespace vp::qt::testing
