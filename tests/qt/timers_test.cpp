// The two timers and the ways the window closes.
#include <QElapsedTimer>

#include "qt/gui_fixture.h"

namespace vp::qt::testing {
namespace {

using Timers = WindowTest;

TEST_F(Timers, TheAnimationTimerTurnsTheOrbitAtMostOnceIn16Ms) {
    TypeOver(Box("txtN1"), "2");
    QElapsedTimer clock;
    clock.start();
    window->StartTimers();
    QTest::qWait(300);
    window->StopTimers();
    const double elapsed = static_cast<double>(clock.elapsed());
    const double steps = form().model.Eta / Radians(5);
    EXPECT_GE(steps, 1);
    EXPECT_LE(steps, elapsed / MainWindow::kTimer1Interval + 1);
    EXPECT_EQ(form().Line1X, static_cast<int>(form().model.Eta * 838 / (2 * kPi)));
}

TEST_F(Timers, UncheckingAnimateStopsTheOrbit) {
    Click(Find<QAbstractButton>("AnimCheck"));
    window->Timer1Tick();
    EXPECT_EQ(form().model.Eta, 0);
    Click(Find<QAbstractButton>("AnimCheck"));
    window->Timer1Tick();
    EXPECT_DOUBLE_EQ(form().model.Eta, Radians(5));
}

TEST_F(Timers, NoTickRunsWhileAMessageBoxOfATickIsShowing) {
    TypeOver(Box("txtN1"), "2");
    ChooseFromFileMenu("mnuSaveLC");
    ASSERT_TRUE(form().chkSave.checked);
    // The completion message comes from inside a tick; ticks delivered meanwhile are dropped.
    bool ticked = false;
    port.whileShowing = [&] {
        const double eta = form().model.Eta;
        const int slide = form().SlideIndex;
        form().SlideShowOn = true;  // so that a slide-show tick would show
        window->Timer1Tick();
        window->Timer2Tick();
        ticked = true;
        EXPECT_EQ(form().model.Eta, eta);
        EXPECT_EQ(form().SlideIndex, slide);
        form().SlideShowOn = false;
    };
    for (int t = 0; t < 5 * 72 && form().chkSave.checked; ++t) window->Timer1Tick();
    EXPECT_TRUE(ticked);
    EXPECT_FALSE(form().chkSave.checked);
}

using ShutDown = WindowTest;

TEST_F(ShutDown, ExitRequestsTheVersionPageOnceAndCloses) {
    ChooseFromFileMenu("mnuExit");
    ASSERT_EQ(port.opened.size(), 1u);
    EXPECT_EQ(port.opened[0], MainForm::VersionPageAddress());
    EXPECT_NE(port.opened[0].find("?Version=2.1.22"), std::string::npos);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(window->Timer1().isActive());
}

TEST_F(ShutDown, TheCloseBoxBehavesAsExit) {
    EXPECT_TRUE(window->close());
    EXPECT_EQ(port.opened.size(), 1u);
    EXPECT_FALSE(window->isVisible());
}

}  // namespace
}  // namespace vp::qt::testing
