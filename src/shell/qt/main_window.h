// The program's main window on Qt. It holds no behaviour: it builds the widgets of the window
// layout, forwards every user event, timer tick, resize and close to the window object
// vp::MainForm, and after each call mirrors the controls' state back onto the widgets.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "shell/main_form.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QScrollBar;

namespace vp::qt {

class CaptionFrame;
class PictureView;
class QtPlatformPort;

class MainWindow : public QMainWindow {
    Q_OBJECT

  public:
    // The client area the window opens with.
    static constexpr int kClientWidth = 1012;
    static constexpr int kClientHeight = 675;
    // Interval of the animation timer: ticks come at most this often.
    static constexpr int kTimer1Interval = 16;
    static constexpr int kTimer2Interval = 2000;

    explicit MainWindow(QtPlatformPort& port);
    ~MainWindow() override;

    MainForm& form() { return form_; }

    // Form_Load: the caption, the first picture, the lists; shows the window.
    void Load();
    // Shows the window centred on its screen with the opening client size.
    void ShowCentred();
    // Copies every control's state onto its widget and repaints both pictures.
    void Mirror();

    // One tick of each timer, as the timers deliver them. A tick that arrives while another
    // tick is running (or a message box opened by it is showing) is dropped.
    void Timer1Tick();
    void Timer2Tick();
    void StartTimers();
    void StopTimers();
    QTimer& Timer1() { return timer1_; }
    QTimer& Timer2() { return timer2_; }

    // The widget standing for a control of the window object.
    QWidget* WidgetOf(const Control& control) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    struct Binding {
        Control* control;
        QWidget* widget;
        std::vector<std::string> shownItems;  // list boxes: the items on screen
        QSize place;                          // labels: the size in the layout
    };

    // Runs one event handler of the window object, then mirrors.
    template <typename Call>
    void Forward(Call&& call) {
        call();
        Mirror();
    }

    void BuildMenu();
    void BuildParameterPanels(QWidget* client);
    void BuildAtlas(QWidget* client);
    void BuildPictures(QWidget* client);
    void BuildHelpPanel(QWidget* client);
    void BuildExtrasPanel(QWidget* client);
    void BuildFilePanels(QWidget* client);

    Binding& Bind(Control& control, QWidget* widget);
    CaptionFrame* Frame(Control& control, QWidget* parent, const QRect& place);
    QLabel* Label(Control& control, QWidget* parent, const QRect& place);
    QLabel* FixedLabel(const char* text, QWidget* parent, const QRect& place);
    QLineEdit* TextBox(Control& control, QWidget* parent, const QRect& place);
    QScrollBar* ScrollBar(int k, QWidget* parent, const QRect& place);
    // A parameter row: caption label, text box and scroll bar; the box's place as laid out,
    // widened to the left where the atlas writes longer values into it.
    void Row(QWidget* parent, int y, const char* caption, Control& box, int k, int boxX,
             int boxWidth);
    QWidget* Check(Control& control, QWidget* parent, const QRect& place);
    QListWidget* List(Control& control, QWidget* parent, const QRect& place);
    QPushButton* Button(Control& control, QWidget* parent, const QRect& place,
                        void (MainForm::*handler)());

    void MirrorOne(Binding& binding);

    QtPlatformPort& port_;
    MainForm form_;
    std::vector<std::unique_ptr<Binding>> bindings_;
    std::unordered_map<const QObject*, Binding*> bindingOf_;
    QWidget* client_ = nullptr;
    PictureView* picture1_ = nullptr;
    PictureView* picturePlot_ = nullptr;
    QButtonGroup* drawingStyle_ = nullptr;
    QTimer timer1_;
    QTimer timer2_;
    bool inTick_ = false;
    // What the two picture views show now, to skip repaints that would change nothing.
    std::uint64_t shownPicture_ = ~0ull;
    std::uint64_t shownPlot_ = ~0ull;
    int shownMarker_ = -1;
};

}  // namespace vp::qt
