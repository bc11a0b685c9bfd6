// What the operator sees: the back colours of the forms, read off rendered
// pixels, not off the palette.

#include "app/start_dialog.h"
#include "panels/belt/belt_panel.h"
#include "panels/jog_position/jog_position_panel.h"
#include "panels/main/main_panel.h"
#include "tests/panels/panel_fixture.h"
#include "ui/colours.h"

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
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

struct Look : PanelFixture {
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
            EXPECT_EQ(describe(shownColour(w)), describe(expected))
                << window.objectName().toStdString() << "." << w->objectName().toStdString();
        }
        EXPECT_GT(coloured, 0);
    }
};

} // namespace

TEST_F(Look, everyControlShowsItsBackColourAsItStands) {
    expectFormColours(shell.main());
    expectFormColours(shell.startDialog());
    expectFormColours(shell.jogPosition());
    expectFormColours(shell.belt());
}

TEST_F(Look, jogButtonsShowRedForTheLastDirectionStarted) {
    MainPanel& main = shell.main();
    shell.start();
    port("MSC").setPortOpen(true);
    click(main, "cmd_ROL");
    EXPECT_EQ(describe(shownColour(button(main, "cmd_ROL"))), describe(QColor(255, 0, 0)));
    EXPECT_EQ(describe(shownColour(button(main, "cmd_ROR"))), describe(buttonFace()));
    click(main, "cmd_ROR");
    EXPECT_EQ(describe(shownColour(button(main, "cmd_ROR"))), describe(QColor(255, 0, 0)));
    EXPECT_EQ(describe(shownColour(button(main, "cmd_ROL"))), describe(buttonFace()));
    click(main, "mtr_STOP");
    EXPECT_EQ(describe(shownColour(button(main, "cmd_ROR"))), describe(buttonFace()));
}
