// The window under test: a real MainWindow on the offscreen platform, with a platform port
// that answers message boxes from a script, records them and the web pages asked for, and
// keeps its application folder under the temporary directory.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/constants.h"
#include "shell/qt/main_window.h"
#include "shell/qt/qt_platform_port.h"

namespace vp::qt::testing {

struct ShownMessage {
    std::string text;
    std::string title;
    MessageButtons buttons;
    bool question;
};

class ScriptedPort : public QtPlatformPort {
  public:
    ScriptedPort() : QtPlatformPort(MakeFolder()) {}
    ~ScriptedPort() override {
        std::error_code ec;
        std::filesystem::remove_all(AppFolder(), ec);
    }

    MessageAnswer ShowMessage(const std::string& text, const std::string& title,
                              MessageButtons buttons, bool question) override {
        shown.push_back({text, title, buttons, question});
        if (whileShowing) whileShowing();
        if (!answers.empty()) {
            const MessageAnswer answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::OK;
    }
    void OpenWebPage(const std::string& address) override { opened.push_back(address); }

    std::deque<MessageAnswer> answers;
    std::vector<ShownMessage> shown;
    std::vector<std::string> opened;
    std::function<void()> whileShowing;  // runs while a box is "open"

  private:
    static std::string MakeFolder() {
        static int counter = 0;
        const auto folder =
            std::filesystem::temp_directory_path() /
            ("vandrel-gui-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        return folder.string();
    }
};

// A started window whose timers are stopped, so that each test decides when ticks come.
class WindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        window = std::make_unique<MainWindow>(port);
        window->StopTimers();
        window->Load();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }
    void TearDown() override { window.reset(); }

    MainForm& form() { return window->form(); }

    template <typename W>
    W* Find(const char* name) {
        W* widget = window->findChild<W*>(name);
        EXPECT_NE(widget, nullptr) << name;
        return widget;
    }
    QLineEdit* Box(const char* name) { return Find<QLineEdit>(name); }
    QString Text(const char* name) { return Box(name)->text(); }

    // Clicks one arrow of a vertical scroll bar with the mouse.
    static void ClickArrow(QScrollBar* bar, bool up) {
        QStyleOptionSlider option;
        option.initFrom(bar);
        option.orientation = Qt::Vertical;
        option.minimum = bar->minimum();
        option.maximum = bar->maximum();
        option.sliderPosition = bar->sliderPosition();
        option.sliderValue = bar->value();
        option.singleStep = bar->singleStep();
        option.pageStep = bar->pageStep();
        option.subControls = QStyle::SC_All;
        const QRect arrow = bar->style()->subControlRect(
            QStyle::CC_ScrollBar, &option,
            up ? QStyle::SC_ScrollBarSubLine : QStyle::SC_ScrollBarAddLine, bar);
        QTest::mouseClick(bar, Qt::LeftButton, {}, arrow.center());
    }

    // Replaces the whole text of a box by typing, one key at a time.
    static void TypeOver(QLineEdit* box, const QString& text) {
        QTest::mouseClick(box, Qt::LeftButton);
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(box, text);
    }

    static void Click(QWidget* widget) { QTest::mouseClick(widget, Qt::LeftButton); }

    // Opens the File menu with the mouse and clicks one of its commands.
    void ChooseFromFileMenu(const char* command) {
        QMenuBar* bar = window->menuBar();
        QMenu* file = Find<QMenu>("mnuFile");
        QAction* action = Find<QAction>(command);
        ASSERT_TRUE(file && action);
        QTest::mouseClick(bar, Qt::LeftButton, {},
                          bar->actionGeometry(file->menuAction()).center());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(file));
        QTest::mouseClick(file, Qt::LeftButton, {}, file->actionGeometry(action).center());
    }

    // Degrees as the model holds them.
    static double Radians(double degrees) { return degrees * kPi / 180; }

    ScriptedPort port;
    std::unique_ptr<MainWindow> window;
};

}  // namespace vp::qt::testing
