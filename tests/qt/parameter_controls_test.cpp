// Parameter rows and switches driven through their widgets: scroll arrows, the thumb, key
// releases in the boxes, check boxes and the drawing-style option buttons.
#include <QClipboard>
#include <QKeyEvent>
#include <QWindow>

#include "qt/gui_fixture.h"
#include "shell/qt/caption_frame.h"

namespace vp::qt::testing {
namespace {

using ParameterControls = WindowTest;

TEST_F(ParameterControls, ScrollArrowsStepTheTemperatureUpAndDown) {
    auto* bar = Find<QScrollBar>("VScroll11");
    ClickArrow(bar, true);
    EXPECT_EQ(Text("txtTemp1"), "8300");
    EXPECT_EQ(form().model.Temp1, 8300);
    ClickArrow(bar, false);
    EXPECT_EQ(Text("txtTemp1"), "8200");
    EXPECT_EQ(form().model.Temp1, 8200);
    // The upper arrow keeps raising the value, with no trailing digits.
    auto* limb = Find<QScrollBar>("VScroll9");
    for (const char* expected : {"0.55", "0.6", "0.65", "0.7"}) {
        ClickArrow(limb, true);
        EXPECT_EQ(Text("txtLimb1"), expected);
    }
    // With the arrow key as well: up raises.
    QTest::keyClick(Find<QScrollBar>("VScroll14"), Qt::Key_Up);
    EXPECT_EQ(Text("Qratio"), "2.5");
}

TEST_F(ParameterControls, ADragOfTheThumbIsOneStep) {
    auto* bar = Find<QScrollBar>("VScroll2");
    bar->setSliderDown(true);
    for (int position = 15000; position <= 30000; position += 500) bar->setSliderPosition(position);
    EXPECT_EQ(Text("txtIota"), "82");
    bar->setSliderDown(false);
    // Dragged downwards: one step down.
    EXPECT_EQ(Text("txtIota"), "81");
    EXPECT_EQ(form().VScroll[2].value, 0);
}

TEST_F(ParameterControls, EachKeyReleaseRecomputesWithTheBoxText) {
    QLineEdit* iota = Box("txtIota");
    QTest::mouseClick(iota, Qt::LeftButton);
    QTest::keyClick(iota, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(iota, Qt::Key_8);
    EXPECT_EQ(iota->text(), "8");
    EXPECT_DOUBLE_EQ(form().model.Iota, Radians(8));
    QTest::keyClick(iota, Qt::Key_5);
    EXPECT_EQ(iota->text(), "85");
    EXPECT_DOUBLE_EQ(form().model.Iota, Radians(85));
    // The recompute's correction is written back into the box.
    TypeOver(iota, "95");
    EXPECT_EQ(iota->text(), "90");
    EXPECT_DOUBLE_EQ(form().model.Iota, Radians(90));
}

TEST_F(ParameterControls, OnlyAKeyReleaseRecomputesAWrittenText) {
    QLineEdit* iota = Box("txtIota");
    iota->setText("45");
    EXPECT_DOUBLE_EQ(form().model.Iota, Radians(82));
    // A repeated release of a held key is not a release.
    QKeyEvent repeat(QEvent::KeyRelease, Qt::Key_Right, Qt::NoModifier, QString(), true);
    QApplication::sendEvent(iota, &repeat);
    EXPECT_DOUBLE_EQ(form().model.Iota, Radians(82));
    QTest::keyClick(iota, Qt::Key_Shift);
    EXPECT_DOUBLE_EQ(form().model.Iota, Radians(45));
    iota->setText("30");
    QTest::keyClick(iota, Qt::Key_Left);
    EXPECT_DOUBLE_EQ(form().model.Iota, Radians(30));
    // Tab moves on; its release, wherever it lands, recomputes too.
    QLineEdit* q = Box("Qratio");
    q->setText("1");
    QTest::keyRelease(q, Qt::Key_Tab);
    EXPECT_EQ(form().Qratio.text, "1");
    EXPECT_EQ(form().model.MassRatio, 1);
}

TEST_F(ParameterControls, DotsUnchecksPhotometryAndPaintLeavesItUnchecked) {
    auto* photometry = Find<QAbstractButton>("chkPhotometry");
    auto* paint = Find<QAbstractButton>("chkPaint");
    auto* dots = Find<QAbstractButton>("chkDots");
    ASSERT_TRUE(photometry->isChecked());
    Click(dots);
    EXPECT_TRUE(dots->isChecked());
    EXPECT_FALSE(paint->isChecked());
    EXPECT_FALSE(photometry->isChecked());
    EXPECT_FALSE(form().chkPhotometry.checked);
    EXPECT_TRUE(form().chkDots.checked);
    Click(paint);
    EXPECT_TRUE(paint->isChecked());
    EXPECT_FALSE(dots->isChecked());
    EXPECT_FALSE(photometry->isChecked());
}

TEST_F(ParameterControls, CheckBoxClicksToggleTheSwitch) {
    auto* stefan = Find<QAbstractButton>("chkStefan");
    Click(stefan);
    EXPECT_FALSE(stefan->isChecked());
    EXPECT_FALSE(form().chkStefan.checked);
    Click(stefan);
    EXPECT_TRUE(form().chkStefan.checked);
    // A contact system checks "Contact Neck" from the recompute.
    for (const char* name : {"txtRadius1", "txtRadius2"}) {
        Box(name)->setText("0.5");
        QTest::keyClick(Box(name), Qt::Key_End);
    }
    EXPECT_TRUE(Find<QAbstractButton>("chkNeck")->isChecked());
    EXPECT_EQ(Find<QGroupBox>("FrameStar1")->title(), " Star 1 - Contact ");
    EXPECT_EQ(dynamic_cast<CaptionFrame*>(Find<QGroupBox>("FrameStar1"))->CaptionColour(),
              QColor(255, 0, 0));
}

TEST_F(ParameterControls, AResizeRefitsTheStarPicture) {
    window->resize(window->width() + 100, window->height() + 40);
    EXPECT_TRUE(QTest::qWaitFor([&] { return form().clientWidth == 1112; }));
    EXPECT_EQ(form().clientWidth, 1112);
    EXPECT_EQ(form().clientHeight, 715);
    EXPECT_EQ(form().picture.Width(), 932);
    EXPECT_EQ(form().picture.Height(), 405);
    EXPECT_EQ(Find<QWidget>("Picture1")->size(), QSize(932, 405));
}

TEST_F(ParameterControls, RestoringTheMinimisedWindowRecomputes) {
    // A pasted text waits for the next recompute; restoring the window from the task bar is one.
    QApplication::clipboard()->setText("45");
    QLineEdit* iota = Box("txtIota");
    iota->selectAll();
    iota->paste();
    QWindow* handle = window->windowHandle();
    handle->setWindowStates(Qt::WindowMinimized);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->isMinimized(); }));
    EXPECT_DOUBLE_EQ(form().model.Iota, Radians(82));
    handle->setWindowStates(Qt::WindowNoState);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !window->isMinimized(); }));
    EXPECT_DOUBLE_EQ(form().model.Iota, Radians(45));
    EXPECT_EQ(form().picture.Width(), 832);
}

}  // namespace
}  // namespace vp::qt::testing
