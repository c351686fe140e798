#include "shell/qt/main_window.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QWindowStateChangeEvent>
#include <algorithm>

#include "core/number_text.h"
#include "shell/atlas_data.h"
#include "shell/qt/caption_frame.h"
#include "shell/qt/choice_list.h"
#include "shell/qt/picture_view.h"
#include "shell/qt/qt_platform_port.h"

namespace vp::qt {
namespace {

// The window object counts scroll-bar positions upwards (30000 at the top); a Qt scroll bar
// counts downwards, so its value is mirrored about the middle of the range. The arrows, the
// trough, the thumb, the keys and the wheel then all move the position the same way round.
constexpr int kScrollMax = 30000;
int ScrollPosition(int qtValue) {
    return kScrollMax - qtValue;
}
int QtScrollValue(int position) {
    return kScrollMax - position;
}

QColor ToQColor(Colour c) {
    return QColor(RedOf(c), GreenOf(c), BlueOf(c));
}

QString ToQString(const std::string& text) {
    return QString::fromStdString(text);
}

void SetRole(QWidget* widget, QPalette::ColorRole role, const QColor& colour) {
    if (widget->palette().color(role) == colour) return;
    QPalette palette = widget->palette();
    palette.setColor(role, colour);
    widget->setPalette(palette);
}

// The system's button face, or the control's own colour.
QColor BackColour(const QWidget* widget, Colour c) {
    return c == kButtonFace ? QApplication::palette(widget).color(QPalette::Button) : ToQColor(c);
}

// The star panels: a night-sky background on which both the grey and the red caption read
// clearly, with light row captions.
const QColor kStarPanel(16, 18, 24);
const QColor kStarPanelText(224, 226, 232);

// Room for text in a line edit as it lays its text out: the style's contents rectangle less the
// text margins and the edit's own 2 pixels on each side.
int TextRoom(const QLineEdit* edit) {
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.rect = edit->rect();
    option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
    option.midLineWidth = 0;
    option.state |= QStyle::State_Sunken;
    const QRect contents =
        edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
    const QMargins margins = edit->textMargins();
    return contents.width() - margins.left() - margins.right() - 4;
}

// The width a line edit needs to show a text without scrolling it (the text and the cursor).
int WidthToShow(const QLineEdit* edit, const QString& text) {
    return edit->width() - TextRoom(edit) + edit->fontMetrics().horizontalAdvance(text) + 1;
}

// The widest of the values the atlas writes into a parameter box, empty for the other boxes.
QString WidestAtlasValue(const MainForm& f, const Control& box, const QFontMetrics& metrics) {
    const std::pair<const Control*, double AtlasRow::*> columns[] = {
        {&f.Qratio, &AtlasRow::q},      {&f.txtIota, &AtlasRow::incl},
        {&f.txtRadius1, &AtlasRow::r1}, {&f.txtRadius2, &AtlasRow::r2},
        {&f.txtTemp1, &AtlasRow::t1},   {&f.txtTemp2, &AtlasRow::t2}};
    QString widest;
    for (auto [control, column] : columns) {
        if (control != &box) continue;
        for (const AtlasRow& row : kAtlasRows) {
            const QString text = ToQString(FormatNumber(row.*column));
            if (metrics.horizontalAdvance(text) > metrics.horizontalAdvance(widest)) widest = text;
        }
    }
    return widest;
}

// Narrows a label's font, as far as a readable limit, until its caption fits the label.
void FitCaption(QLabel* label) {
    const QString caption = label->text().trimmed();
    QFont font = label->font();
    for (int stretch = 95; stretch >= 75; stretch -= 5) {
        if (QFontMetrics(font).horizontalAdvance(caption) <= label->contentsRect().width()) break;
        font.setStretch(stretch);
    }
    label->setFont(font);
}

// Lines the boxes of a panel's rows up on the leftmost box, when every caption still fits.
void AlignRows(QWidget* panel) {
    const auto boxes = panel->findChildren<QLineEdit*>(Qt::FindDirectChildrenOnly);
    const auto captions = panel->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    int left = panel->width();
    for (const QLineEdit* box : boxes) left = std::min(left, box->x());
    for (const QLabel* caption : captions)
        if (caption->fontMetrics().horizontalAdvance(caption->text().trimmed()) >
            left - caption->x())
            return;
    for (QLineEdit* box : boxes)
        box->setGeometry(left, box->y(), box->geometry().right() + 1 - left, box->height());
    for (QLabel* caption : captions) caption->resize(left - caption->x(), caption->height());
}

void SetFont(QWidget* widget, bool bold, double pointSize) {
    QFont font = widget->font();
    if (font.bold() == bold && font.pointSizeF() == pointSize) return;
    font.setBold(bold);
    font.setPointSizeF(pointSize);
    widget->setFont(font);
}

}  // namespace

MainWindow::MainWindow(QtPlatformPort& port) : port_(port), form_(port) {
    port_.Attach(this);

    client_ = new QWidget(this);
    client_->setObjectName("client");
    client_->setMinimumSize(kClientWidth, kClientHeight);
    QFont font = client_->font();
    font.setPointSizeF(8);
    client_->setFont(font);
    setCentralWidget(client_);
    client_->installEventFilter(this);

    BuildMenu();
    BuildParameterPanels(client_);
    BuildAtlas(client_);
    BuildPictures(client_);
    BuildHelpPanel(client_);
    BuildExtrasPanel(client_);
    BuildFilePanels(client_);

    // The panel buttons stay above the panels that reach under their lower edge; the file
    // panel lies over the star picture.
    for (Control* c : {&form_.cmdPlot, &form_.HelpButton, &form_.cmdExtras, &form_.frameSaveBMP,
                       &form_.frameMessage})
        WidgetOf(*c)->raise();

    timer1_.setTimerType(Qt::PreciseTimer);
    connect(&timer1_, &QTimer::timeout, this, &MainWindow::Timer1Tick);
    connect(&timer2_, &QTimer::timeout, this, &MainWindow::Timer2Tick);
    StartTimers();

    Mirror();
}

MainWindow::~MainWindow() {
    StopTimers();
    port_.Attach(nullptr);
    // The widgets go while the window object and the bindings they refer to still exist.
    delete takeCentralWidget();
}

// ---- Building the window ----------------------------------------------------------------

MainWindow::Binding& MainWindow::Bind(Control& control, QWidget* widget) {
    widget->setObjectName(ToQString(control.name));
    bindings_.push_back(std::make_unique<Binding>(Binding{&control, widget, {}, {}}));
    bindingOf_[widget] = bindings_.back().get();
    return *bindings_.back();
}

QWidget* MainWindow::WidgetOf(const Control& control) const {
    for (const auto& b : bindings_)
        if (b->control == &control) return b->widget;
    return nullptr;
}

CaptionFrame* MainWindow::Frame(Control& control, QWidget* parent, const QRect& place) {
    auto* frame = new CaptionFrame(parent);
    frame->setGeometry(place);
    Bind(control, frame);
    return frame;
}

QLabel* MainWindow::Label(Control& control, QWidget* parent, const QRect& place) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setAutoFillBackground(true);
    label->setGeometry(place);
    Bind(control, label).place = place.size();
    return label;
}

QLabel* MainWindow::FixedLabel(const char* text, QWidget* parent, const QRect& place) {
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setGeometry(place);
    return label;
}

QLineEdit* MainWindow::TextBox(Control& control, QWidget* parent, const QRect& place) {
    auto* edit = new QLineEdit(parent);
    edit->setGeometry(place);
    edit->installEventFilter(this);
    if (control.maxLength > 0) edit->setMaxLength(control.maxLength);
    Control* c = &control;
    // Typing keeps the control's text current; only a key release recomputes.
    connect(edit, &QLineEdit::textEdited, this,
            [c](const QString& text) { c->text = text.toStdString(); });
    Bind(control, edit);
    return edit;
}

QScrollBar* MainWindow::ScrollBar(int k, QWidget* parent, const QRect& place) {
    auto* bar = new QScrollBar(Qt::Vertical, parent);
    bar->setGeometry(place);
    bar->setRange(0, kScrollMax);
    bar->setValue(QtScrollValue(form_.VScroll[k].value));
    bar->setSingleStep(10);
    bar->setPageStep(100);
    // A drag of the thumb changes the position once, when it is let go.
    bar->setTracking(false);
    connect(bar, &QScrollBar::valueChanged, this, [this, k](int value) {
        Forward([&] {
            form_.VScroll[k].value = ScrollPosition(value);
            form_.VScroll_Change(k);
        });
    });
    Bind(form_.VScroll[k], bar);
    return bar;
}

void MainWindow::Row(QWidget* parent, int y, const char* caption, Control& box, int k, int boxX,
                     int boxWidth) {
    QLineEdit* edit = TextBox(box, parent, QRect(boxX, y, boxWidth, 20));
    // A box the atlas writes into grows to the left until every atlas value shows whole.
    const int needed = WidthToShow(edit, WidestAtlasValue(form_, box, edit->fontMetrics()));
    if (needed > boxWidth) edit->setGeometry(boxX + boxWidth - needed, y, needed, 20);
    FitCaption(FixedLabel(caption, parent, QRect(6, y, edit->x() - 6, 20)));
    ScrollBar(k, parent, QRect(boxX + boxWidth + 1, y - 1, 15, 22));
}

QWidget* MainWindow::Check(Control& control, QWidget* parent, const QRect& place) {
    QAbstractButton* button;
    if (control.kind == ControlKind::OptionButton) {
        button = new QRadioButton(parent);
        if (!drawingStyle_) drawingStyle_ = new QButtonGroup(this);
        drawingStyle_->addButton(button);
    } else {
        button = new QCheckBox(parent);
    }
    button->setGeometry(place);
    Control* c = &control;
    connect(button, &QAbstractButton::clicked, this,
            [this, c] { Forward([&] { form_.ClickCheck(*c); }); });
    Bind(control, button);
    return button;
}

QListWidget* MainWindow::List(Control& control, QWidget* parent, const QRect& place) {
    Control* c = &control;
    QListWidget* list;
    if (c == &form_.StarNameList) {
        // A star is chosen by a click or a key that changes the selection, never by the focus.
        list = new ChoiceList(parent);
        connect(list, &QListWidget::itemSelectionChanged, this, [this, c, list] {
            const QList<QListWidgetItem*> chosen = list->selectedItems();
            // A choice cannot be undone (Ctrl+click): the mirror marks the chosen row again.
            if (chosen.isEmpty()) return Mirror();
            Forward([&] {
                c->listIndex = list->row(chosen.front());
                form_.StarNameList_Click();
            });
        });
    } else {
        list = new QListWidget(parent);
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        connect(list, &QListWidget::currentRowChanged, this, [c](int row) { c->listIndex = row; });
    }
    list->setGeometry(place);
    Bind(control, list);
    return list;
}

QPushButton* MainWindow::Button(Control& control, QWidget* parent, const QRect& place,
                                void (MainForm::*handler)()) {
    auto* button = new QPushButton(parent);
    button->setGeometry(place);
    button->setAutoDefault(false);
    connect(button, &QPushButton::clicked, this,
            [this, handler] { Forward([&] { (form_.*handler)(); }); });
    Bind(control, button);
    return button;
}

void MainWindow::BuildMenu() {
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->setObjectName("mnuFile");
    auto command = [&](const char* name, const char* caption, void (MainForm::*handler)()) {
        QAction* action = file->addAction(QString::fromUtf8(caption));
        action->setObjectName(name);
        connect(action, &QAction::triggered, this,
                [this, handler] { Forward([&] { (form_.*handler)(); }); });
    };
    command("mnuSaveStar", "Save Star...", &MainForm::mnuSaveStar_Click);
    command("mnuSaveBitmap", "Save Bitmap...", &MainForm::mnuSaveBitmap_Click);
    command("mnuSaveAnimation", "Save Animation...", &MainForm::mnuSaveAnimation_Click);
    command("mnuSaveLC", "Save Light Curve...", &MainForm::mnuSaveLC_Click);
    file->addSeparator()->setObjectName("mnuSep1");
    command("mnuLoad", "Load Star...", &MainForm::mnuLoad_Click);
    file->addSeparator()->setObjectName("mnuSep2");
    command("mnuExit", "Exit", &MainForm::mnuExit_Click);
}

void MainWindow::BuildParameterPanels(QWidget* client) {
    MainForm& f = form_;
    CaptionFrame* system = Frame(f.FrameSwitches, client, QRect(4, 2, 161, 95));
    Row(system, 18, "Inclination (\u00b0)", f.txtIota, 2, 98, 42);
    Row(system, 42, "Mass Ratio", f.Qratio, 14, 98, 42);
    Row(system, 66, "Latitude Lines", f.txtN1, 1, 98, 42);

    CaptionFrame* star1 = Frame(f.FrameStar1, client, QRect(4, 98, 161, 95));
    Row(star1, 18, "Pole Radius", f.txtRadius1, 5, 98, 42);
    Row(star1, 42, "Limb Darkening ", f.txtLimb1, 9, 98, 42);
    Row(star1, 66, "Temperature (K)", f.txtTemp1, 11, 98, 42);

    CaptionFrame* star2 = Frame(f.FrameStar2, client, QRect(4, 194, 161, 95));
    Row(star2, 18, "Pole Radius", f.txtRadius2, 6, 98, 42);
    Row(star2, 42, "Limb Darkening ", f.txtLimb2, 10, 98, 42);
    Row(star2, 66, "Temperature (K)", f.txtTemp2, 12, 98, 42);

    for (CaptionFrame* panel : {system, star1, star2}) AlignRows(panel);
    for (CaptionFrame* star : {star1, star2}) {
        star->SetPanelColour(kStarPanel);
        for (QLabel* caption : star->findChildren<QLabel*>())
            SetRole(caption, QPalette::WindowText, kStarPanelText);
    }

    QGroupBox* settings = Frame(f.FramePhotometry, client, QRect(4, 292, 161, 179));
    QWidget* animate = Check(f.AnimCheck, settings, QRect(4, 18, 120, 20));
    // The long caption with its four blanks needs the narrower face where there is one.
    QFont narrow = animate->font();
    narrow.setStretch(QFont::SemiCondensed);
    animate->setFont(narrow);
    TextBox(f.txtAnimSpeed, settings, QRect(124, 18, 20, 20));
    ScrollBar(7, settings, QRect(144, 17, 14, 22));
    int y = 40;
    for (Control* c : {&f.chkPhotometry, &f.chkSpherical, &f.chkStefan, &f.chkNeck, &f.chkGran,
                       &f.chkSimAreas}) {
        Check(*c, settings, QRect(6, y, 150, 18));
        y += 18;
    }
    Check(f.chkPaint, settings, QRect(6, 152, 50, 20));
    Check(f.chkDots, settings, QRect(56, 152, 48, 20));
    Check(f.chkGrid, settings, QRect(104, 152, 52, 20));
}

void MainWindow::BuildAtlas(QWidget* client) {
    Label(form_.Label21, client, QRect(20, 476, 124, 16));
    List(form_.StarNameList, client, QRect(4, 494, 161, 147));
    Button(form_.SlideShow, client, QRect(4, 646, 161, 25), &MainForm::SlideShow_Click);
}

void MainWindow::BuildPictures(QWidget* client) {
    picture1_ = new PictureView(form_.picture, nullptr, client);
    picture1_->setGeometry(MainForm::kPictureLeft, MainForm::kPictureTop,
                           kClientWidth - MainForm::kPictureLeft - 10,
                           kClientHeight - MainForm::kPictureTop - 5 - MainForm::kPlotHeight -
                               MainForm::kPlotButtonHeight);
    Bind(form_.Picture1, picture1_);
    Label(form_.lblSlideShow, picture1_, QRect(4, 4, 164, 37));

    Button(form_.cmdPlot, client, QRect(170, 374, 65, 25), &MainForm::cmdPlot_Click);
    Button(form_.HelpButton, client, QRect(236, 374, 65, 25), &MainForm::HelpButton_Click);
    Button(form_.cmdExtras, client, QRect(302, 374, 65, 25), &MainForm::cmdExtras_Click);

    picturePlot_ = new PictureView(form_.plotPicture, &form_.Line1X, client);
    picturePlot_->setGeometry(170, 398, MainForm::kPlotWidth, MainForm::kPlotHeight);
    Bind(form_.PicturePlot, picturePlot_);
}

void MainWindow::BuildHelpPanel(QWidget* client) {
    MainForm& f = form_;
    QGroupBox* help = Frame(f.HelpAreaFrame, client, QRect(170, 392, 837, 279));
    Label(f.Label28, help, QRect(18, 20, 90, 16));
    Label(f.Label27, help, QRect(110, 20, 273, 16));
    // The help list takes the panel's free width so that its lines fit on one line each in the
    // usual fonts; a wider font wraps them, so no line ever needs scrolling sideways.
    QListWidget* hints = List(f.HelpList, help, QRect(14, 50, 473, 199));
    hints->setWordWrap(true);
    hints->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    Label(f.Label19, help, QRect(502, 34, 90, 13));
    List(f.StarSizeList, help, QRect(502, 50, 157, 199));
    Label(f.Label20, help, QRect(670, 34, 59, 13));
    List(f.RocheList, help, QRect(666, 50, 157, 199));
    auto* line = new QFrame(help);
    line->setObjectName("Line2");
    line->setGeometry(16, 39, 470, 2);
    line->setAutoFillBackground(true);
    SetRole(line, QPalette::Window, QColor(192, 192, 192));
    QLabel* more = Label(f.Label18, help, QRect(16, 252, 65, 13));
    // The link starts where "More Details: " ends in this font.
    const int linkLeft =
        std::max(80, 16 + more->fontMetrics().horizontalAdvance(ToQString(f.Label18.caption)));
    QLabel* link = Label(f.Label16, help, QRect(linkLeft, 252, 228, 13));
    QFont underlined = link->font();
    underlined.setUnderline(true);
    link->setFont(underlined);
    link->setCursor(Qt::PointingHandCursor);
    link->installEventFilter(this);
}

void MainWindow::BuildExtrasPanel(QWidget* client) {
    MainForm& f = form_;
    QGroupBox* extras = Frame(f.TestingAreaFrame, client, QRect(170, 392, 837, 279));

    QGroupBox* settings = Frame(f.Frame2, extras, QRect(8, 6, 206, 196));
    Row(settings, 20, "Zoom (%)", f.txtZoom, 8, 108, 56);
    Row(settings, 46, "Axis Tilt", f.txtGamma, 3, 108, 56);
    Row(settings, 72, "Rotation Angle", f.txtEta, 4, 108, 56);
    Row(settings, 98, "Rotation Ratio", f.txtRotPer, 13, 108, 56);
    Check(f.TwoStarsCheck, settings, QRect(10, 128, 150, 20));
    Button(f.Refresh, settings, QRect(10, 158, 100, 25), &MainForm::Refresh_Click);

    QGroupBox* saving = Frame(f.Frame3, extras, QRect(222, 6, 330, 104));
    Check(f.chkBMP, saving, QRect(10, 20, 250, 20));
    Check(f.chkSave, saving, QRect(10, 46, 120, 20));
    TextBox(f.txtFilename, saving, QRect(134, 46, 150, 20));
    Check(f.chkMag, saving, QRect(10, 72, 200, 20));

    auto* message = new QPlainTextEdit(extras);
    message->setGeometry(566, 12, 262, 120);
    message->setFrameShape(QFrame::NoFrame);
    message->setReadOnly(true);
    message->setBackgroundRole(QPalette::Window);
    Bind(f.txtMessage, message);
}

void MainWindow::BuildFilePanels(QWidget* client) {
    MainForm& f = form_;
    QGroupBox* save = Frame(f.frameSaveBMP, client, QRect(186, 254, 519, 91));
    save->setAutoFillBackground(true);
    Label(f.lblSaveAs, save, QRect(10, 8, 300, 16));
    TextBox(f.txtBMPName, save, QRect(10, 28, 499, 21));
    Button(f.cmbSaveBMP, save, QRect(328, 58, 85, 25), &MainForm::cmbSaveBMP_Click);
    Button(f.cmdCancel, save, QRect(424, 58, 85, 25), &MainForm::cmdCancel_Click);

    QGroupBox* wait = Frame(f.frameMessage, client, QRect(494, 586, 235, 75));
    wait->setAutoFillBackground(true);
    Label(f.Label7, wait, QRect(10, 12, 215, 18));
    // Two lines: a warning such as "The stars do not fit the picture: lower the zoom." is
    // longer than the panel is wide.
    Label(f.lblMessage, wait, QRect(10, 34, 215, 36))->setWordWrap(true);
}

// ---- Start, show, close ------------------------------------------------------------------

void MainWindow::Load() {
    Forward([&] { form_.Form_Load(); });
}

void MainWindow::ShowCentred() {
    if (!isVisible()) {
        resize(kClientWidth, kClientHeight + menuBar()->sizeHint().height());
        if (QScreen* s = screen())
            setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                            s->availableGeometry()));
    }
    show();
}

void MainWindow::changeEvent(QEvent* event) {
    // Restoring the window from the task bar recomputes, as a size change does; its size is
    // often the same, so no resize event comes.
    if (event->type() == QEvent::WindowStateChange) {
        const auto before = static_cast<QWindowStateChangeEvent*>(event)->oldState();
        if (before.testFlag(Qt::WindowMinimized) && !isMinimized())
            Forward([&] { form_.Form_Resize(client_->width(), client_->height()); });
    }
    QMainWindow::changeEvent(event);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    StopTimers();
    Forward([&] { form_.Form_Unload(); });
    event->accept();
}

// ---- Timers -------------------------------------------------------------------------------

void MainWindow::Timer1Tick() {
    if (inTick_) return;
    inTick_ = true;
    Forward([&] { form_.Timer1_Timer(); });
    inTick_ = false;
}

void MainWindow::Timer2Tick() {
    if (inTick_) return;
    inTick_ = true;
    Forward([&] { form_.Timer2_Timer(); });
    inTick_ = false;
}

void MainWindow::StartTimers() {
    timer1_.start(kTimer1Interval);
    timer2_.start(kTimer2Interval);
}

void MainWindow::StopTimers() {
    timer1_.stop();
    timer2_.stop();
}

// ---- Events -------------------------------------------------------------------------------

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyRelease: {
            auto it = bindingOf_.find(watched);
            auto* key = static_cast<QKeyEvent*>(event);
            auto* edit = qobject_cast<QLineEdit*>(watched);
            // Holding a key down repeats its press, not its release.
            if (it != bindingOf_.end() && edit && !key->isAutoRepeat()) {
                Control& box = *it->second->control;
                Forward([&] {
                    box.text = edit->text().toStdString();
                    form_.TextBox_KeyUp(box);
                });
            }
            break;
        }
        case QEvent::Resize:
            if (watched == client_ &&
                (client_->width() != form_.clientWidth || client_->height() != form_.clientHeight))
                Forward([&] { form_.Form_Resize(client_->width(), client_->height()); });
            break;
        case QEvent::MouseButtonRelease: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            auto it = bindingOf_.find(watched);
            if (it != bindingOf_.end() && it->second->control == &form_.Label16 &&
                mouse->button() == Qt::LeftButton &&
                static_cast<QWidget*>(watched)->rect().contains(mouse->position().toPoint()))
                Forward([&] { form_.Label16_Click(); });
            break;
        }
        default:
            break;
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Mirroring ----------------------------------------------------------------------------

void MainWindow::Mirror() {
    for (auto& b : bindings_) MirrorOne(*b);
    if (windowTitle() != ToQString(form_.caption)) setWindowTitle(ToQString(form_.caption));
    const QSize raster(form_.picture.Width(), form_.picture.Height());
    if (raster.width() > 0 && raster.height() > 0 && picture1_->size() != raster)
        picture1_->resize(raster);
    // Idle timer ticks change nothing: repaint a picture only when its image or marker moved.
    if (form_.picture.Version() != shownPicture_) {
        shownPicture_ = form_.picture.Version();
        picture1_->update();
    }
    if (form_.plotPicture.Version() != shownPlot_ || form_.Line1X != shownMarker_) {
        shownPlot_ = form_.plotPicture.Version();
        shownMarker_ = form_.Line1X;
        picturePlot_->update();
    }
}

void MainWindow::MirrorOne(Binding& b) {
    const Control& c = *b.control;
    QWidget* w = b.widget;
    const QSignalBlocker block(w);
    if (w->isHidden() == c.visible) w->setVisible(c.visible);

    switch (c.kind) {
        case ControlKind::TextBox: {
            if (auto* edit = qobject_cast<QLineEdit*>(w)) {
                // Written only when different, so that the cursor stays where it is.
                const QString text = ToQString(c.text);
                if (edit->text() != text) {
                    edit->setText(text);
                    // Long numbers show their leading digits unless the user is typing there.
                    if (!edit->hasFocus()) edit->setCursorPosition(0);
                }
            } else if (auto* area = qobject_cast<QPlainTextEdit*>(w)) {
                const QString text = ToQString(WithoutCarriageReturns(c.text));
                if (area->toPlainText() != text) area->setPlainText(text);
            }
            SetRole(w, QPalette::Text, ToQColor(c.foreColour));
            break;
        }
        case ControlKind::CheckBox:
        case ControlKind::OptionButton: {
            auto* button = static_cast<QAbstractButton*>(w);
            const QString caption = ToQString(c.caption);
            if (button->text() != caption) button->setText(caption);
            if (button->isChecked() != c.checked) {
                if (c.checked || !drawingStyle_ || button->group() != drawingStyle_) {
                    button->setChecked(c.checked);
                } else {
                    // An exclusive group keeps its checked button; none may be chosen here.
                    drawingStyle_->setExclusive(false);
                    button->setChecked(false);
                    drawingStyle_->setExclusive(true);
                }
            }
            SetRole(w, QPalette::WindowText, ToQColor(c.foreColour));
            break;
        }
        case ControlKind::Label: {
            auto* label = static_cast<QLabel*>(w);
            const QString caption = ToQString(c.caption);
            if (label->text() != caption) label->setText(caption);
            SetFont(w, c.bold, c.fontSize);
            SetRole(w, QPalette::WindowText, ToQColor(c.foreColour));
            SetRole(w, QPalette::Window, BackColour(w, c.backColour));
            // A label grows to show its whole caption (the slide-show name, the link); one that
            // wraps its caption keeps its width and grows down.
            const int width = b.place.width();
            const QSize size = b.place.expandedTo(
                label->wordWrap() ? QSize(width, label->heightForWidth(width)) : label->sizeHint());
            if (label->size() != size) label->resize(size);
            break;
        }
        case ControlKind::Frame: {
            auto* frame = static_cast<CaptionFrame*>(w);
            const QString caption = ToQString(c.caption);
            if (frame->title() != caption) frame->setTitle(caption);
            frame->SetCaptionColour(ToQColor(c.foreColour));
            break;
        }
        case ControlKind::Button: {
            auto* button = static_cast<QPushButton*>(w);
            const QString caption = ToQString(c.caption);
            if (button->text() != caption) button->setText(caption);
            SetFont(w, c.bold, c.fontSize);
            SetRole(w, QPalette::ButtonText, ToQColor(c.foreColour));
            SetRole(w, QPalette::Button, BackColour(w, c.backColour));
            break;
        }
        case ControlKind::ListBox: {
            auto* list = static_cast<QListWidget*>(w);
            if (b.shownItems != c.items) {
                list->clear();
                for (const std::string& item : c.items) list->addItem(ToQString(item));
                b.shownItems = c.items;
            }
            const int row = c.listIndex < list->count() ? c.listIndex : -1;
            if (list->currentRow() != row || (row >= 0 && !list->item(row)->isSelected()))
                list->setCurrentRow(row);
            break;
        }
        case ControlKind::ScrollBar: {
            auto* bar = static_cast<QScrollBar*>(w);
            if (bar->value() != QtScrollValue(c.value)) bar->setValue(QtScrollValue(c.value));
            break;
        }
        case ControlKind::Picture:
        case ControlKind::MenuItem:
            break;
    }
}

}  // namespace vp::qt
