// What the operator sees: the back colours of the forms, read off rendered
// pixels, not off the palette.

#include "app/start_dialog.h"
#include "panels/belt/belt_panel.h"
#include "panels/jog_position/jog_position_panel.h"
#include "panels/main/main_panel.h"
#include "tests/support/panel_fixture.h"
#include "tests/ui/in_language.h"
#include "ui/colours.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStyleOptionComboBox>
#include <map>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

// The colour most of a control's pixels show: its face, whatever its caption.
QColor shownColour(QWidget* w) {
    const QImage image = w->grab().toImage();
    std::map<QRgb, int> counts;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            ++counts[image.pixel(x, y) | 0xFF000000u];
    QRgb most = 0;
    int mostCount = 0;
    for (const auto& [rgb, count] : counts)
        if (count > mostCount)
            most = rgb, mostCount = count;
    return QColor(most);
}

std::string describe(const QColor& c) {
    return QStringLiteral("(%1, %2, %3)").arg(c.red()).arg(c.green()).arg(c.blue()).toStdString();
}

// Each case runs with the windows in Korean and in English.
struct Look : InLanguage, PanelFixture, ::testing::WithParamInterface<const char*> {
    Look() : InLanguage(GetParam()) {}

    // Every button, combo box, list and text box of the window shows the
    // back colour its form gives it, or the system's default where none is given.
    void expectFormColours(QWidget& window) {
        window.show();
        int coloured = 0;
        for (QWidget* w : window.findChildren<QWidget*>()) {
            QColor expected;
            const QVariant given = w->property("backColour");
            if (given.isValid())
                expected = given.value<QColor>(), ++coloured;
            else if (qobject_cast<QPushButton*>(w))
                expected = buttonFace();
            else if (qobject_cast<QLineEdit*>(w) && !qobject_cast<QComboBox*>(w->parent()))
                expected = colour::white;
            else if (!qobject_cast<QComboBox*>(w) && !qobject_cast<QListWidget*>(w))
                continue;
            if (w->width() < 4 || w->height() < 4)
                continue;
            // A button or list that takes no press is greyed half-way to the face.
            if (!w->isEnabled() && (qobject_cast<QPushButton*>(w) || qobject_cast<QComboBox*>(w))) {
                const QColor face = buttonFace();
                expected =
                    QColor((expected.red() + face.red()) / 2, (expected.green() + face.green()) / 2,
                           (expected.blue() + face.blue()) / 2);
            }
            EXPECT_EQ(describe(shownColour(w)), describe(expected))
                << window.objectName().toStdString() << "." << w->objectName().toStdString();
        }
        EXPECT_GT(coloured, 0);
    }
};

// Whether `text` shows whole in `room`, on one line or wrapped by words when
// `wraps`.
bool fits(const QFontMetrics& metrics, const QRect& room, const QString& text, bool wraps) {
    const QRect needed = metrics.boundingRect(
        QRect(0, 0, room.width(), 10000), Qt::AlignCenter | (wraps ? Qt::TextWordWrap : 0), text);
    return needed.width() <= room.width() && needed.height() <= room.height() + 2;
}

} // namespace

INSTANTIATE_TEST_SUITE_P(Languages, Look, ::testing::Values("ko", "en"));

// Every caption shows whole in its control: on one line, or wrapped where the
// control wraps (labels that wrap, buttons too narrow for their caption).
TEST_P(Look, everyCaptionFitsItsControl) {
    for (QWidget* window : std::initializer_list<QWidget*>{&shell.main(), &shell.startDialog(),
                                                           &shell.jogPosition(), &shell.belt()}) {
        window->show();
        for (QWidget* w : window->findChildren<QWidget*>()) {
            const QFontMetrics metrics = w->fontMetrics();
            QString text;
            bool whole = true;
            if (auto* label = qobject_cast<QLabel*>(w)) {
                text = label->text();
                whole = fits(metrics, label->contentsRect(), text, label->wordWrap());
            } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
                text = box->text();
                whole = fits(metrics, box->rect().adjusted(20, 0, 0, 0), text, false);
            } else if (auto* group = qobject_cast<QGroupBox*>(w)) {
                text = group->title();
                whole = fits(metrics, group->rect().adjusted(8, 0, -8, 0), text, false);
            } else if (auto* button = qobject_cast<QPushButton*>(w)) {
                text = button->text();
                whole = fits(metrics, button->rect().adjusted(2, 2, -2, -2), text, true);
            }
            EXPECT_TRUE(whole) << window->objectName().toStdString() << "."
                               << w->objectName().toStdString() << ": " << text.toStdString()
                               << " (" << metrics.horizontalAdvance(text) << " pixels in "
                               << w->width() << ")";
        }
    }
}

TEST_P(Look, everyControlShowsItsBackColourAsItStands) {
    expectFormColours(shell.main());
    expectFormColours(shell.startDialog());
    expectFormColours(shell.jogPosition());
    expectFormColours(shell.belt());
}

TEST_P(Look, windowsReadRight) {
    MainPanel& main = shell.main();
    shell.start();
    pumpEvents();
    // A Space at launch presses a motion button, not a navigation one.
    EXPECT_EQ(main.focusWidget(), button(main, "cmd_ROR"));

    // The dialog's lists use the window's own font, and a typed device path
    // shows whole in the port box.
    StartDialog& start = shell.startDialog();
    auto* ports = start.findChild<QComboBox*>(QStringLiteral("Combo_0"));
    ASSERT_NE(ports, nullptr);
    EXPECT_FALSE(ports->font().bold());
    QStyleOptionComboBox option;
    option.initFrom(ports);
    option.editable = true;
    const QRect field = ports->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                       QStyle::SC_ComboBoxEditField, ports);
    EXPECT_LE(ports->fontMetrics().horizontalAdvance(QStringLiteral("/dev/ttyUSB0")),
              field.width() - 4);
    // The line settings stand on three lines, all inside the label.
    auto* settings = start.findChild<QLabel*>(QStringLiteral("Label3"));
    ASSERT_NE(settings, nullptr);
    EXPECT_EQ(settings->text().split('\n').size(), 3);
    EXPECT_LE(settings->fontMetrics().lineSpacing() * 3, settings->height() + 2);

    // The belt panel's buttons use the panel's Hangul font.
    BeltPanel& belt = shell.belt();
    auto* label = belt.findChild<QLabel*>(QStringLiteral("Label16"));
    ASSERT_NE(label, nullptr);
    for (const char* name : {"cmd_Data", "cmd_RData"})
        EXPECT_EQ(QFontInfo(button(belt, name)->font()).family(), QFontInfo(label->font()).family())
            << name;

    // The table's echo boxes show a whole 13-byte frame.
    JogPositionPanel& table = shell.jogPosition();
    const QString frame = QStringLiteral("CC  00  0E  01  03  20  00  0A  00  00  00  EE  3C  ");
    for (const char* name : {"txt_tx", "rx2_txt"}) {
        QLineEdit* echo = box(table, name);
        EXPECT_LE(echo->fontMetrics().horizontalAdvance(frame.trimmed()), echo->width() - 8)
            << name;
    }
}

// "출력1 OFF", and "OUT1 OFF" too, is wider than its 57-pixel button: it
// wraps onto two lines, none of it cut off at the sides.
TEST_P(Look, wideCaptionsWrapInsideTheirButton) {
    MainPanel& main = shell.main();
    QAbstractButton* out1 = button(main, "CMD_OUT1");
    out1->setText(MainPanel::tr("출력1 OFF"));
    const QImage image = out1->grab().toImage();
    auto dark = [&](int x, int y) { return qGray(image.pixel(x, y)) < 96; };
    std::vector<bool> rows(image.height(), false);
    int left = image.width(), right = -1;
    // Inside the bevel only.
    for (int y = 3; y < image.height() - 3; ++y)
        for (int x = 3; x < image.width() - 3; ++x)
            if (dark(x, y)) {
                rows[y] = true;
                left = std::min(left, x);
                right = std::max(right, x);
            }
    int bands = 0;
    for (int y = 1; y < image.height(); ++y)
        if (rows[y] && !rows[y - 1])
            ++bands;
    EXPECT_EQ(bands, 2);
    EXPECT_GT(left, 3);
    EXPECT_LT(right, image.width() - 4);
}
