// Choosing an atlas star in the list, and the slide show through the atlas.
#include "core/number_text.h"
#include "qt/gui_fixture.h"

namespace vp::qt::testing {
namespace {

struct Atlas : WindowTest {
    // The boxes an atlas row fills, with the row's values written as the boxes write numbers.
    void ExpectRowInBoxes(int row) {
        const MainForm& f = form();
        EXPECT_EQ(Text("Qratio").toStdString(), FormatNumber(f.StarQ[row]));
        EXPECT_EQ(Text("txtIota").toStdString(), FormatNumber(f.StarIota[row]));
        EXPECT_EQ(Text("txtRadius1").toStdString(), FormatNumber(f.StarR1[row]));
        EXPECT_EQ(Text("txtRadius2").toStdString(), FormatNumber(f.StarR2[row]));
        EXPECT_EQ(Text("txtTemp1").toStdString(), FormatNumber(f.StarT1[row]));
        EXPECT_EQ(Text("txtTemp2").toStdString(), FormatNumber(f.StarT2[row]));
    }
};

TEST_F(Atlas, ChoosingAStarByMouseFillsTheBoxes) {
    auto* list = Find<QListWidget>("StarNameList");
    QListWidgetItem* item = list->item(40);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
    EXPECT_EQ(form().StarNameList.listIndex, 40);
    EXPECT_EQ(Text("txtN1"), "15");
    EXPECT_EQ(form().model.LatLines1, 15);
    // Row 41 of the atlas is list row 40. Values within the limits are shown as they are.
    ExpectRowInBoxes(41);
    EXPECT_DOUBLE_EQ(form().model.Iota, Radians(form().StarIota[41]));

    // The arrow key moves the choice on.
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->currentRow(), 41);
    ExpectRowInBoxes(42);
}

// Whether a row of the list is drawn in the selection's colour: a pixel at the row's right end,
// where no text is, differs clearly from the list's background.
bool Highlighted(QListWidget* list, int row) {
    const QImage shown = list->viewport()->grab().toImage();
    const QRect place = list->visualItemRect(list->item(row));
    const QColor pixel = shown.pixelColor(place.right() - 2, place.center().y());
    const QColor base = list->palette().color(QPalette::Base);
    return std::abs(pixel.lightness() - base.lightness()) + std::abs(pixel.hue() - base.hue()) > 40;
}

TEST_F(Atlas, FocusAloneChoosesNoStarAndTheChosenRowStaysHighlighted) {
    auto* list = Find<QListWidget>("StarNameList");
    Box("txtTemp2")->setFocus();
    for (int key = 0; key < 40 && !list->hasFocus(); ++key)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(list->hasFocus());
    EXPECT_EQ(Text("Qratio"), "2.4");
    EXPECT_EQ(Text("txtN1"), "7");
    EXPECT_EQ(form().StarNameList.listIndex, -1);
    EXPECT_TRUE(list->selectedItems().isEmpty());

    // The first arrow key chooses the first star.
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(form().StarNameList.listIndex, 0);
    ExpectRowInBoxes(1);
    EXPECT_TRUE(Highlighted(list, 0));
    EXPECT_FALSE(Highlighted(list, 1));

    // The choice stays marked while the user works elsewhere, and a Ctrl+click does not unmark it.
    TypeOver(Box("txtIota"), "60");
    EXPECT_TRUE(Highlighted(list, 0));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                      list->visualItemRect(list->item(0)).center());
    EXPECT_TRUE(Highlighted(list, 0));
    EXPECT_EQ(Text("txtIota"), "60");
}

TEST_F(Atlas, SlideShowStartsShowsNamesAndStops) {
    auto* button = Find<QPushButton>("SlideShow");
    auto* name = Find<QLabel>("lblSlideShow");
    Box("txtEta")->setText("30");
    Click(button);
    EXPECT_EQ(button->text(), "Stop Slide Show");
    EXPECT_TRUE(name->isVisible());
    EXPECT_TRUE(name->font().bold());
    EXPECT_EQ(name->font().pointSizeF(), 24);
    EXPECT_FALSE(Find<QAbstractButton>("AnimCheck")->isChecked());
    EXPECT_FALSE(Find<QAbstractButton>("chkPhotometry")->isChecked());
    EXPECT_TRUE(Find<QAbstractButton>("chkSpherical")->isChecked());
    EXPECT_EQ(Text("txtEta"), "0");
    EXPECT_EQ(Text("txtN1"), "15");

    window->Timer2Tick();
    EXPECT_EQ(name->text(), "AD Cnc (4)");
    ExpectRowInBoxes(2);
    EXPECT_GE(name->width(), name->sizeHint().width());
    window->Timer2Tick();
    EXPECT_EQ(name->text().toStdString(), form().StarName[3]);

    Click(button);
    EXPECT_EQ(button->text(), "Start Slide Show");
    EXPECT_FALSE(name->isVisible());
    window->Timer2Tick();
    EXPECT_EQ(name->text().toStdString(), form().StarName[3]);
    ExpectRowInBoxes(3);
}

}  // namespace
}  // namespace vp::qt::testing
