// Texts as the user reads them: the star captions clearly visible on their panels without their
// colour spreading to the widgets inside, every help line and every atlas value shown whole.
#include <QStyleOptionFrame>
#include <algorithm>
#include <cmath>

#include "core/number_text.h"
#include "qt/gui_fixture.h"

namespace vp::qt::testing {
namespace {

using Legibility = WindowTest;

// Relative luminance and contrast ratio as the common legibility guidelines define them.
double Luminance(const QColor& c) {
    auto linear = [](double v) {
        v /= 255;
        return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(c.red()) + 0.7152 * linear(c.green()) + 0.0722 * linear(c.blue());
}
double Contrast(const QColor& a, const QColor& b) {
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Whether some pixel of the caption's place is drawn in the caption colour.
bool CaptionDrawnIn(QGroupBox* frame, const QColor& colour) {
    const QImage shown = frame->grab().toImage();
    const QFontMetrics metrics(frame->font());
    const int right = std::min(shown.width(), metrics.horizontalAdvance(frame->title()) + 20);
    for (int y = 0; y < metrics.height() + 4; ++y)
        for (int x = 0; x < right; ++x) {
            const QColor p = shown.pixelColor(x, y);
            if (std::abs(p.red() - colour.red()) + std::abs(p.green() - colour.green()) +
                    std::abs(p.blue() - colour.blue()) <=
                40)
                return true;
        }
    return false;
}

TEST_F(Legibility, StarCaptionsStandOutAndKeepTheirColourToThemselves) {
    auto* star1 = Find<QGroupBox>("FrameStar1");
    auto* star2 = Find<QGroupBox>("FrameStar2");
    std::vector<QImage> arrows;
    // The default system is in contact (red captions); two small stars are apart (grey).
    for (const QColor caption : {QColor(255, 0, 0), QColor(192, 192, 192)}) {
        if (caption != QColor(255, 0, 0)) {
            for (const char* radius : {"txtRadius1", "txtRadius2"}) {
                Box(radius)->setText("0.2");
                QTest::keyClick(Box(radius), Qt::Key_End);
            }
        }
        for (QGroupBox* frame : {star1, star2}) {
            ASSERT_TRUE(CaptionDrawnIn(frame, caption)) << frame->title().toStdString();
            // Inside the panel, below its rows.
            const QColor panel = frame->grab().toImage().pixelColor(3, frame->height() - 4);
            EXPECT_GE(Contrast(caption, panel), 4.5) << frame->title().toStdString();
            for (QWidget* inside : frame->findChildren<QWidget*>())
                for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::ButtonText})
                    EXPECT_NE(inside->palette().color(role).name(), caption.name())
                        << inside->objectName().toStdString();
        }
        arrows.push_back(Find<QScrollBar>("VScroll5")->grab().toImage());
    }
    EXPECT_TRUE(arrows[0] == arrows[1]) << "the scroll arrows change with the caption";
}

// Room for text in a line edit as it lays its text out: the style's contents rectangle less
// the text margins and the edit's own 2 pixels on each side.
int TextRoom(QLineEdit* edit) {
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

// What a line edit needs to show a text without scrolling it: the text and the cursor behind it.
int WidthToShow(const QFontMetrics& metrics, const QString& text) {
    return metrics.horizontalAdvance(text) + 1;
}

TEST_F(Legibility, HelpLinesAtlasValuesAndRowCaptionsAreShownWhole) {
    Click(Find<QPushButton>("HelpButton"));
    auto* help = Find<QListWidget>("HelpList");
    EXPECT_EQ(help->horizontalScrollBar()->maximum(), 0);
    const QFontMetrics metrics(help->font());
    const int margin = help->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, help) + 1;
    for (int i = 0; i < help->count(); ++i) {
        const QRect place = help->visualItemRect(help->item(i));
        EXPECT_GE(place.left(), 0) << i;
        EXPECT_LT(place.right(), help->viewport()->width()) << i;
        const QRect text = metrics.boundingRect(QRect(0, 0, place.width() - 2 * margin, 1000),
                                                Qt::TextWordWrap, help->item(i)->text());
        EXPECT_LE(text.height(), place.height()) << help->item(i)->text().toStdString();
    }

    const MainForm& f = form();
    const std::pair<const char*, const std::vector<double>*> columns[] = {
        {"Qratio", &f.StarQ},      {"txtIota", &f.StarIota}, {"txtRadius1", &f.StarR1},
        {"txtRadius2", &f.StarR2}, {"txtTemp1", &f.StarT1},  {"txtTemp2", &f.StarT2}};
    for (auto [name, values] : columns) {
        QLineEdit* box = Box(name);
        const QFontMetrics boxMetrics(box->font());
        QString widest;
        for (std::size_t row = 1; row < values->size(); ++row) {
            const QString text = QString::fromStdString(FormatNumber((*values)[row]));
            if (WidthToShow(boxMetrics, text) > WidthToShow(boxMetrics, widest)) widest = text;
        }
        EXPECT_LE(WidthToShow(boxMetrics, widest), TextRoom(box))
            << name << " cannot show " << widest.toStdString();
    }

    for (const char* panel : {"FrameSwitches", "FrameStar1", "FrameStar2"})
        for (QLabel* caption : Find<QWidget>(panel)->findChildren<QLabel*>())
            EXPECT_LE(caption->fontMetrics().horizontalAdvance(caption->text().trimmed()),
                      caption->contentsRect().width())
                << caption->text().toStdString();
}

// The warning of a recording whose stars the picture cuts is read whole on its panel.
TEST_F(Legibility, TheStarsCutWarningIsShownWhole) {
    TypeOver(Box("txtN1"), "2");
    TypeOver(Box("txtZoom"), "160");
    ChooseFromFileMenu("mnuSaveLC");
    for (int t = 0; t < 72 && !form().frameMessage.visible; ++t) window->Timer1Tick();
    auto* panel = Find<QGroupBox>("frameMessage");
    auto* label = Find<QLabel>("lblMessage");
    ASSERT_TRUE(panel->isVisible());
    ASSERT_EQ(label->text().toStdString(), kStarsCutMessage);
    const QRect room = label->contentsRect();
    const QRect text = label->fontMetrics().boundingRect(QRect(0, 0, room.width(), 1000),
                                                         Qt::TextWordWrap, label->text());
    EXPECT_LE(text.width(), room.width());
    EXPECT_LE(text.height(), room.height());
    EXPECT_TRUE(panel->contentsRect().contains(label->geometry())) << label->geometry().height();
}

}  // namespace
}  // namespace vp::qt::testing
