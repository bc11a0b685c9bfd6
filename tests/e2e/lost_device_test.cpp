// The driver goes away in the middle of a session, and comes back.

#include "tests/e2e/e2e_fixture.h"

#include "app/start_dialog.h"
#include "link/comm_control.h"
#include "panels/main/main_panel.h"

#include <QAbstractButton>
#include <QTest>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {
using E2eLostDevice = E2eFixture;
}

TEST_F(E2eLostDevice, aVanishedDriverIsReportedOnceAndAReconnectWorks) {
    ASSERT_NO_FATAL_FAILURE(connectWithDefaults());
    homeSearchIsAnswered();
    MainPanel& main = shell().main();

    // The next driver is started first, so that its line has a path of its own.
    auto next = std::make_unique<Simulator>();
    ASSERT_NE(next->devicePath(), sim->devicePath());
    sim->kill();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !messages.shown.isEmpty(); }, kWaitMs));
    // Give a repeated report every chance to show up.
    QTest::qWait(300);
    EXPECT_EQ(messages.shown.size(), 1) << messages.shown.join('\n').toStdString();
    EXPECT_FALSE(shell().MSC().PortOpen());
    EXPECT_TRUE(main.isVisible());
    EXPECT_EQ(endProgramCalls, 0);

    // A new driver on a new line: the dialog shows the link down, and
    // connects again at once.
    ASSERT_TRUE(useSimulator(std::move(next)));
    click(main, "cmd_comm");
    StartDialog& start = shell().startDialog();
    ASSERT_TRUE(start.isVisible());
    EXPECT_FALSE(button(start, "cmd_commoff")->isEnabled());
    EXPECT_TRUE(button(start, "cmd_common")->isEnabled());
    click(start, "cmd_common");
    ASSERT_TRUE(main.isVisible());
    ASSERT_TRUE(shell().MSC().PortOpen());
    EXPECT_EQ(shell().MSC().devicePath(), sim->devicePath());
    homeSearchIsAnswered();

    EXPECT_EQ(messages.shown.size(), 1) << messages.shown.join('\n').toStdString();
    EXPECT_EQ(endProgramCalls, 0);
}
