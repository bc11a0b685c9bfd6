#include "panels/jog_position/jog_position_panel.h"
#include "tests/support/driver_panel_fixture.h"
#include "ui/colours.h"

#include <gtest/gtest.h>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

const QColor kCyan{128, 255, 255};
// Entry 1's reply: velocity 800, acceleration 10, position -100.
const char* const kEntryReply = "BB 00 0F 64 03 20 00 0A FF FF 9C EE 00";

struct Table : DriverPanelFixture<JogPositionPanel> {
    void SetUp() override { open(shell.jogPosition(), "MSC1"); }
    // How many of the 21 boxes do not show `expected`, in their palette or on screen.
    int boxesNotShowing(const QColor& expected) {
        int wrong = 0;
        for (int row = 0; row < 7; ++row)
            for (const char* column : kTableColumns) {
                QLineEdit* b = cell(*panel, column, row);
                wrong += backColour(b) != expected || shownColour(b) != expected;
            }
        return wrong;
    }
    QString move(int row) { return press(QString("cmd_move1_%1").arg(row).toLatin1().constData()); }
};

} // namespace

TEST_F(Table, downloadSendsTheBoxesAndMarksEachRowOnceItsFrameWentOut) {
    reply("BB 00 04 64 00 00 00 00 00 00 00 EE 00"); // an earlier move's reply
    const QString rx = box(*panel, "rx2_txt")->text();
    int cyanAtSend = 0; // boxes already light cyan as a frame goes out
    msc->answer = [&](const QByteArray&) {
        cyanAtSend += 21 - boxesNotShowing(kCyan);
        return QByteArray();
    };
    typeRow(*panel, 6, "-1 2047 100");
    click(*panel, "CMD_DOWN");

    ASSERT_EQ(msc->sent.size(), 7u);
    EXPECT_EQ(hexOf(msc->sent[0].bytes), "CC 00 0E 01 03 20 00 0A 00 00 00 EE 3C 00 00");
    EXPECT_EQ(hexOf(msc->sent[6].bytes), "CC 00 0E 07 07 FF 00 64 FF FF FF EE 7C 00 00");
    expectPaced(0, 150);
    EXPECT_EQ(cyanAtSend, 3 * (0 + 1 + 2 + 3 + 4 + 5 + 6));
    EXPECT_EQ(boxesNotShowing(kCyan), 0);
    EXPECT_EQ(box(*panel, "rx2_txt")->text(), rx);
    EXPECT_EQ(panel->read_step(), 0);
    EXPECT_TRUE(messages.shown.isEmpty());
}

// A position its field does not carry is named with its row and column, and
// neither DATA DOWNLOAD nor the row's move sends anything or marks a box.
// (The velocity and acceleration boxes hold four characters, which their
// fields carry.)
TEST_F(Table, aPositionItsFieldDoesNotCarryIsRefusedBeforeAnythingGoesOut) {
    const struct {
        int row;
        const char* position;
        const char* message;
    } cases[] = {
        {0, "123456789", "1행 위치: 123456789은(는) -8388608~8388607 범위를 벗어납니다."},
        {6, "-8388609", "7행 위치: -8388609은(는) -8388608~8388607 범위를 벗어납니다."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.position);
        test::type(*panel, QString("Text_pos_%1").arg(c.row).toLatin1().constData(), c.position);
        for (const char* button : {"CMD_DOWN", "cmd_move1_%1"}) {
            messages.shown.clear();
            EXPECT_EQ(press(QString(button).arg(c.row).toLatin1().constData()), "") << button;
            EXPECT_EQ(messages.shown, QStringList(QString::fromUtf8(c.message))) << button;
            EXPECT_TRUE(pause.durations.empty()) << button;
            EXPECT_EQ(boxesNotShowing(kWhite), 0) << button;
        }
        test::type(*panel, QString("Text_pos_%1").arg(c.row).toLatin1().constData(), "0");
    }
}

TEST_F(Table, rowMovesCarryTheRowAsItStandsWithTheRowIndex) {
    EXPECT_EQ(move(0), "CC 00 04 00 03 20 00 0A 00 00 00 EE 31 00 00");
    typeRow(*panel, 6, "-1 -1 100");
    EXPECT_EQ(move(6), "CC 00 04 06 FF FF 00 64 FF FF FF EE 69 00 00");
    EXPECT_TRUE(pause.durations.empty());
    EXPECT_EQ(boxesNotShowing(kWhite), 0);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(Table, readRepliesFillTheAwaitedRowWhateverElseArrives) {
    // Before a read-back a reply is only echoed: its trailer is not checked.
    reply("BB 00 0F 64 03 20 00 0A FF FF 9C 00 00");
    EXPECT_TRUE(messages.shown.isEmpty());
    click(*panel, "CMD_READ");
    EXPECT_EQ(hexOf(msc->lastSent()), "CC 00 0F 01 00 00 00 00 00 00 00 EE 10 00 00");
    EXPECT_EQ(box(*panel, "rx2_txt")->text(), "");
    EXPECT_EQ(panel->read_step(), 1);

    reply(kEntryReply);
    EXPECT_EQ(rowText(*panel, 0), "-100 800 10");
    EXPECT_EQ(panel->read_step(), 2);
    EXPECT_EQ(box(*panel, "rx2_txt")->text(), "");
    EXPECT_EQ(hexOf(msc->lastSent()), "CC 00 0F 02 00 00 00 00 00 00 00 EE 11 00 00");
    EXPECT_EQ(pause.durations, std::vector<int>{100});

    // A download's or a move's reply changes nothing; the entry's reply does.
    reply("BB 00 0E 64 03 20 00 0A FF FF 9C EE 00");
    reply("BB 00 04 64 03 20 00 0A FF FF 9C EE 00");
    EXPECT_EQ(panel->read_step(), 2);
    EXPECT_EQ(msc->sent.size(), 2u);
    EXPECT_EQ(rowText(*panel, 1), "0 800 10");
    reply(kEntryReply);
    EXPECT_EQ(rowText(*panel, 1), "-100 800 10");
    EXPECT_EQ(panel->read_step(), 3);

    // During a read-back a wrong trailer is reported, and the row is still
    // filled.
    reply("BB 00 0F 64 80 00 7F FF 80 00 00 00 00");
    EXPECT_EQ(messages.shown, QStringList({"통신에러"}));
    EXPECT_EQ(rowText(*panel, 2), "-8388608 -32768 32767");
    // -32768 is shown whole; typing is limited again once edits fit.
    QLineEdit* vel = cell(*panel, kTableColumns[1], 2);
    vel->selectAll();
    QTest::keyClicks(vel, "123456");
    EXPECT_EQ(vel->text(), "1234");

    for (int entry = 4; entry <= 7; ++entry)
        reply(kEntryReply);
    EXPECT_EQ(panel->read_step(), 0);
    EXPECT_EQ(box(*panel, "rx2_txt")->text().size(), 52);
    // Light blue stays only on values as they came back: the edited box is white.
    EXPECT_EQ(boxesNotShowing(kReadBack), 1);
    EXPECT_EQ(shownColour(vel), kWhite);
    ASSERT_EQ(msc->sent.size(), 7u);
    expectPaced(0, 100); // each request 100 ms after the row before

    // After the last entry a reply answers nothing awaited: only echoed.
    reply("BB 00 0F 64 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(rowText(*panel, 6), "-100 800 10");
    EXPECT_TRUE(box(*panel, "rx2_txt")->text().endsWith("00  00  00  "));
    EXPECT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(msc->sent.size(), 7u);

    // A download during a read-back leaves it where it is.
    click(*panel, "CMD_READ");
    click(*panel, "CMD_DOWN");
    EXPECT_EQ(panel->read_step(), 1);
}
