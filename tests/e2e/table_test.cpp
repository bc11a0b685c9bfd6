// The position table panel against the simulated driver: download, read-back
// and a move to a row.

#include "tests/e2e/e2e_fixture.h"

#include "core/frame.h"
#include "panels/jog_position/jog_position_panel.h"
#include "panels/main/main_panel.h"

#include <QLineEdit>
#include <QTest>
#include <optional>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

// Position, velocity and acceleration of the seven rows.
const char* const kTable[7] = {"-50000 1500 20", "123456 2000 5", "-1 1 0",    "8388607 2047 2047",
                               "-8388608 100 1", "0 800 10",      "7777 -1 -5"};

class E2eTable : public E2eFixture {
protected:
    JogPositionPanel& table() { return shell().jogPosition(); }
};

} // namespace

TEST_F(E2eTable, aDownloadedTableReadsBackAndARowMoveReachesItsPosition) {
    ASSERT_NO_FATAL_FAILURE(connectWithDefaults());
    click(shell().main(), "cmd_JP");
    ASSERT_TRUE(table().isVisible());
    QLineEdit* rx = box(table(), "rx2_txt");

    for (int row = 0; row < 7; ++row)
        typeRow(table(), row, kTable[row]);
    click(table(), "CMD_DOWN");
    ASSERT_TRUE(waitForEcho(rx, 7 * 13));

    for (int row = 0; row < 7; ++row)
        typeRow(table(), row, "5 6 7");
    click(table(), "CMD_READ");
    ASSERT_TRUE(QTest::qWaitFor([&] { return table().read_step() == 0; }, kWaitMs));
    for (int row = 0; row < 7; ++row)
        EXPECT_EQ(rowText(table(), row), kTable[row]);

    click(table(), "cmd_move1_0");
    ASSERT_TRUE(waitForEcho(rx, 2 * 13));
    EXPECT_EQ(rx->text().mid(13 * 4).toStdString(),
              "BB  00  04  64  05  DC  00  14  FF  3C  B0  EE  48  ");
    click(table(), "cmd_JP");
    ASSERT_TRUE(shell().main().isVisible());
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const auto p = driverPosition();
            return p && *p == -50000;
        },
        kWaitMs));

    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}
