// The position table panel against the simulated driver: a downloaded table
// reads back.

#include "tests/e2e/e2e_fixture.h"

#include "panels/jog_position/jog_position_panel.h"
#include "panels/main/main_panel.h"

#include <QLineEdit>
#include <QTest>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {
using E2eTable = E2eFixture;
}

TEST_F(E2eTable, aDownloadedTableReadsBack) {
    // Position, velocity and acceleration of the seven rows.
    const char* const rows[7] = {"-50000 1500 20",    "123456 2000 5",  "-1 1 0",
                                 "8388607 2047 2047", "-8388608 100 1", "0 800 10",
                                 "7777 -1 -5"};
    ASSERT_NO_FATAL_FAILURE(connectWithDefaults());
    click(shell().main(), "cmd_JP");
    JogPositionPanel& table = shell().jogPosition();
    ASSERT_TRUE(table.isVisible());

    for (int row = 0; row < 7; ++row)
        typeRow(table, row, rows[row]);
    click(table, "CMD_DOWN");
    ASSERT_TRUE(waitForEcho(box(table, "rx2_txt"), 7 * 13));

    for (int row = 0; row < 7; ++row)
        typeRow(table, row, "5 6 7");
    click(table, "CMD_READ");
    ASSERT_TRUE(QTest::qWaitFor([&] { return table.read_step() == 0; }, kWaitMs));
    for (int row = 0; row < 7; ++row)
        EXPECT_EQ(rowText(table, row), rows[row]);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}
