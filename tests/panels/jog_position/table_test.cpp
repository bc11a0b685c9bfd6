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

TEST_F(Table, downloadSendsSevenEntriesPacedAndPaintsEachRowBeforeItsFrame) {
    reply("BB 00 04 64 00 00 00 00 00 00 00 EE 00"); // an earlier move's reply
    const QString rx = box(*panel, "rx2_txt")->text();
    int cyanAtSend = 0; // boxes of the frame's row already painted when it goes out
    msc->answer = [&](const QByteArray& block) {
        for (const char* column : kTableColumns)
            cyanAtSend += backColour(cell(*panel, column, block[3] - 1)) == kCyan;
        return QByteArray();
    };
    click(*panel, "CMD_DOWN");

    ASSERT_EQ(msc->sent.size(), 7u);
    EXPECT_EQ(hexOf(msc->sent[0].bytes), "CC 00 0E 01 03 20 00 0A 00 00 00 EE 3C 00 00");
    for (int i = 0; i < 7; ++i) // the defaults: only the entry number and the checksum differ
        EXPECT_EQ(hexOf(msc->sent[i].bytes),
                  QString("CC 00 0E 0%1 03 20 00 0A 00 00 00 EE %2 00 00")
                      .arg(i + 1)
                      .arg(0x3C + i, 0, 16)
                      .toUpper());
    expectPaced(0, 150);
    EXPECT_EQ(cyanAtSend, 21);
    EXPECT_EQ(pause.durations, std::vector<int>(7, 150));
    EXPECT_EQ(boxesNotShowing(kCyan), 0);
    EXPECT_EQ(box(*panel, "rx2_txt")->text(), rx);
    EXPECT_EQ(panel->read_step(), 0);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(Table, rowMovesCarryTheRowAsItStandsInSixteenAndTwentyFourBits) {
    EXPECT_EQ(move(0), "CC 00 04 00 03 20 00 0A 00 00 00 EE 31 00 00");
    typeRow(*panel, 6, "-1 2047 100");
    EXPECT_EQ(move(6), "CC 00 04 06 07 FF 00 64 FF FF FF EE 71 00 00");
    const std::pair<const char*, const char*> positions[] = {{"-100000", "FE 79 60"},
                                                             {"1000000", "0F 42 40"},
                                                             {"16777216", "00 00 00"},
                                                             {"8388608", "80 00 00"}};
    for (const auto& [pos, bytes] : positions) {
        typeRow(*panel, 1, QString(pos) + " -1 0");
        EXPECT_EQ(move(1).mid(12, 20), QString("FF FF 00 00 ") + bytes) << pos;
    }
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
    reply("BB 00 0F 64 FF FF 00 00 7F FF FF EE 00");
    EXPECT_EQ(rowText(*panel, 3), "8388607 -1 0");
    // -32768 is shown whole; typing is limited again once edits fit.
    QLineEdit* vel = cell(*panel, kTableColumns[1], 2);
    vel->selectAll();
    QTest::keyClicks(vel, "123456");
    EXPECT_EQ(vel->text(), "1234");

    for (int entry = 5; entry <= 7; ++entry)
        reply(kEntryReply);
    EXPECT_EQ(panel->read_step(), 0);
    EXPECT_EQ(box(*panel, "rx2_txt")->text().size(), 52);
    // Light blue stays only on values as they came back: the edited box is white.
    EXPECT_EQ(boxesNotShowing(kReadBack), 1);
    EXPECT_EQ(shownColour(vel), kWhite);
    ASSERT_EQ(msc->sent.size(), 7u);
    for (int i = 0; i < 7; ++i) // entries 1 to 7, each 100 ms after the row before
        EXPECT_EQ(msc->sent[i].bytes[3], i + 1);
    expectPaced(0, 100);

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
