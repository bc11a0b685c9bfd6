// The link handed from panel to panel over the real line.

#include "tests/e2e/e2e_fixture.h"

#include "app/start_dialog.h"
#include "link/comm_control.h"
#include "panels/belt/belt_panel.h"
#include "panels/jog_position/jog_position_panel.h"
#include "panels/main/main_panel.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QTest>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

class E2eSwitching : public E2eFixture {
protected:
    // Which of MSC, MSC1, MSC2 read open, as "1 0 0".
    std::string openPorts() {
        return std::string(shell().MSC().PortOpen() ? "1" : "0") +
               (shell().MSC1().PortOpen() ? " 1" : " 0") +
               (shell().MSC2().PortOpen() ? " 1" : " 0");
    }
};

} // namespace

TEST_F(E2eSwitching, eachPanelTalksOnItsOwnPortAfterASwitch) {
    ASSERT_NO_FATAL_FAILURE(connectWithDefaults());
    MainPanel& main = shell().main();
    JogPositionPanel& table = shell().jogPosition();
    BeltPanel& belt = shell().belt();

    click(main, "cmd_JP");
    ASSERT_TRUE(table.isVisible());
    EXPECT_FALSE(main.isVisible());
    EXPECT_EQ(openPorts(), "0 1 0");
    table.link().send({15, 1});
    EXPECT_EQ(box(table, "txt_tx")->text(), "CC  00  0F  01  00  00  00  00  00  00  00  EE  10  ");
    ASSERT_TRUE(waitForEcho(box(table, "rx2_txt"), 13));
    // Entry 1 has never been downloaded: all zero.
    EXPECT_EQ(box(table, "rx2_txt")->text(),
              "BB  00  0F  64  00  00  00  00  00  00  00  EE  73  ");

    click(table, "Command1");
    ASSERT_TRUE(belt.isVisible());
    EXPECT_FALSE(table.isVisible());
    EXPECT_EQ(openPorts(), "0 0 1");
    belt.link().send({14, 1});
    EXPECT_EQ(box(belt, "txt_tx2")->text(), "AA  00  0E  01  00  00  00  00  EE  0F  ");
    ASSERT_TRUE(waitForEcho(box(belt, "rx2_txt"), 10));
    EXPECT_EQ(box(belt, "rx2_txt")->text(), "BB  00  0E  64  00  00  00  00  EE  72  ");

    click(belt, "cmd_MAIN");
    ASSERT_TRUE(main.isVisible());
    EXPECT_FALSE(belt.isVisible());
    EXPECT_EQ(openPorts(), "1 0 0");
    homeSearchIsAnswered();

    // The other way round: main, belt, table, main.
    click(main, "Command1");
    EXPECT_EQ(openPorts(), "0 0 1");
    click(belt, "Command1");
    ASSERT_TRUE(table.isVisible());
    EXPECT_EQ(openPorts(), "0 1 0");
    click(table, "cmd_JP");
    ASSERT_TRUE(main.isVisible());
    EXPECT_EQ(openPorts(), "1 0 0");
    homeSearchIsAnswered();

    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
    EXPECT_EQ(endProgramCalls, 0);
}

TEST_F(E2eSwitching, fromTheBeltPanelToTheDialogTheLineIsClosedUntilReconnected) {
    ASSERT_NO_FATAL_FAILURE(connectWithDefaults());
    MainPanel& main = shell().main();
    BeltPanel& belt = shell().belt();
    StartDialog& start = shell().startDialog();

    click(main, "Command1");
    ASSERT_TRUE(belt.isVisible());
    click(belt, "cmd_comm");
    ASSERT_TRUE(start.isVisible());
    EXPECT_FALSE(belt.isVisible());
    EXPECT_EQ(openPorts(), "0 0 0");
    EXPECT_FALSE(button(start, "cmd_common")->isEnabled());

    click(start, "cmd_commoff");
    EXPECT_TRUE(start.isVisible());
    click(start, "cmd_common");
    ASSERT_TRUE(main.isVisible());
    EXPECT_EQ(openPorts(), "1 0 0");
    homeSearchIsAnswered();

    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}

// A jog started on main and still running when the operator exits from the
// table panel: the link goes back to main's port for the stop.
TEST_F(E2eSwitching, aRunningJogIsStoppedOnTheLineBeforeTheProgramEnds) {
    ASSERT_TRUE(useSimulator(std::make_unique<Simulator>(QStringList{"--verbose"})));
    ASSERT_NO_FATAL_FAILURE(connectWithDefaults());
    MainPanel& main = shell().main();
    click(main, "cmd_ROR");
    ASSERT_TRUE(waitForEcho(box(main, "rx_txt"), 10));
    click(main, "cmd_JP");
    ASSERT_TRUE(shell().jogPosition().isVisible());

    messages.answer = 0; // "정지 후 종료"
    click(shell().jogPosition(), "CMD_EXIT");
    EXPECT_EQ(messages.asked.size(), 1);
    EXPECT_EQ(endProgramCalls, 1);
    EXPECT_EQ(openPorts(), "0 0 0");
    // The driver got the stop, and its reply came before the line closed.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return sim->receivedAt(QStringLiteral("AA 00 03 00 00 00 00 00 EE 03")).size() == 1;
        },
        kWaitMs));
    EXPECT_TRUE(box(main, "rx_txt")->text().startsWith("BB  00  03  64"))
        << box(main, "rx_txt")->text().toStdString();
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}
