#include "panels/main/main_panel.h"
#include "tests/support/driver_panel_fixture.h"
#include "ui/colours.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

struct Motion : DriverPanelFixture<MainPanel> {
    void SetUp() override {
        shell.start();
        open(shell.main(), "MSC");
    }
    QString pressWith(const char* boxName, const char* text, const char* buttonName) {
        if (boxName)
            type(boxName, text);
        return press(buttonName);
    }
    QColor colourOf(const char* name) { return backColour(button(*panel, name)); }
};

} // namespace

TEST_F(Motion, movesCarryTheirPulsesInAllFourDataBytes) {
    EXPECT_EQ(pressWith("Text_PULSE", "9999999", "CMD_CUR"), "AA 00 04 00 00 98 96 7F EE B1 00 00");
    EXPECT_EQ(pressWith("Text_PULSE", "-1000", "CMD_CUR_R"), "AA 00 04 01 FF FF FC 18 EE 17 00 00");
    EXPECT_EQ(box(*panel, "txt_tx")->text(), "AA  00  04  01  FF  FF  FC  18  EE  17  ");
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(Motion, jogButtonsShowTheLastDirectionStarted) {
    EXPECT_EQ(pressWith("Txt_Jog", "300", "cmd_ROL"), "AA 00 02 00 00 00 01 2C EE 2F 00 00");
    EXPECT_EQ(colourOf("cmd_ROL"), QColor(255, 0, 0));
    EXPECT_EQ(colourOf("cmd_ROR"), buttonFace());

    EXPECT_EQ(pressWith("Txt_Jog", "300", "cmd_ROR"), "AA 00 01 00 00 00 01 2C EE 2E 00 00");
    EXPECT_EQ(colourOf("cmd_ROR"), QColor(255, 0, 0));
    EXPECT_EQ(colourOf("cmd_ROL"), buttonFace());

    // A speed beyond the label's range goes out as it stands.
    EXPECT_EQ(pressWith("Txt_Jog", "5000", "cmd_ROL"), "AA 00 02 00 00 00 13 88 EE 9D 00 00");
    EXPECT_TRUE(messages.shown.isEmpty());

    // A move or a home search leaves the jog colours alone; stop clears both.
    pressWith(nullptr, nullptr, "cmd_orgin");
    EXPECT_EQ(colourOf("cmd_ROL"), QColor(255, 0, 0));
    EXPECT_EQ(pressWith(nullptr, nullptr, "mtr_STOP"), "AA 00 03 00 00 00 00 00 EE 03 00 00");
    EXPECT_EQ(colourOf("cmd_ROL"), buttonFace());
    EXPECT_EQ(colourOf("cmd_ROR"), buttonFace());
}

TEST_F(Motion, homeSearchAndPositionRequest) {
    EXPECT_EQ(pressWith(nullptr, nullptr, "cmd_orgin"), "AA 00 07 01 00 00 00 00 EE 08 00 00");
    EXPECT_EQ(panel->read_data(), 0);

    setBackColour(box(*panel, "Text_RPOS"), colour::readBack);
    EXPECT_EQ(pressWith(nullptr, nullptr, "Cmd_RPOS"), "AA 00 06 08 00 00 00 00 EE 0E 00 00");
    EXPECT_EQ(panel->read_data(), 8);
    EXPECT_EQ(backColour(box(*panel, "Text_RPOS")), QColor(255, 255, 255));
}

// A jog refused for its entry starts nothing: the colours still show the
// last real jog.
TEST_F(Motion, aRefusedJogLeavesTheJogColours) {
    pressWith("Txt_Jog", "300", "cmd_ROR");
    EXPECT_EQ(pressWith("Txt_Jog", "abc", "cmd_ROL"), "");
    EXPECT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(colourOf("cmd_ROR"), QColor(255, 0, 0));
}

TEST_F(Motion, sendingOnAClosedPortIsReportedNotFatal) {
    msc->setPortOpen(false);
    click(*panel, "cmd_orgin");
    EXPECT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(msc->sent.empty());
    EXPECT_EQ(box(*panel, "txt_tx")->text(), "AA  00  07  01  00  00  00  00  EE  08  ");
}

TEST_F(Motion, escapeStopsTheMotorWhereverTheFocusIsOnThePanel) {
    panel->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(panel));
    for (const char* focus : {"Txt_Jog", "Text_PULSE", "rx_txt", "cmd_ROR"}) {
        pressWith("Txt_Jog", "300", "cmd_ROR");
        auto* widget = panel->findChild<QWidget*>(QString::fromLatin1(focus));
        widget->setFocus();
        msc->sent.clear();
        QTest::keyClick(widget, Qt::Key_Escape);
        EXPECT_EQ(hexOf(msc->lastSent()), "AA 00 03 00 00 00 00 00 EE 03 00 00") << focus;
        EXPECT_EQ(colourOf("cmd_ROR"), buttonFace()) << focus;
    }
}
