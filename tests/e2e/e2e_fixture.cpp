#include "tests/e2e/e2e_fixture.h"

#include "app/start_dialog.h"
#include "link/comm_control.h"
#include "panels/belt/belt_panel.h"
#include "panels/jog_position/jog_position_panel.h"
#include "panels/main/main_panel.h"

#include <QLineEdit>
#include <QTest>

namespace stepdrive::test {

void E2eFixture::SetUp() {
    ASSERT_TRUE(useSimulator(std::make_unique<Simulator>()));
    shell_ = std::make_unique<Shell>(messages);
    shell_->setEndProgram([this] { ++endProgramCalls; });
    shell_->start();
}

void E2eFixture::TearDown() {
    // The port objects close before their device goes.
    shell_.reset();
    if (sim) {
        EXPECT_TRUE(sim->stop()) << "stepdrive-sim did not end cleanly";
    }
    sim.reset();
    qunsetenv("STEPDRIVE_COM4");
}

bool E2eFixture::useSimulator(std::unique_ptr<Simulator> next) {
    sim = std::move(next);
    if (sim->devicePath().isEmpty())
        return false;
    qputenv("STEPDRIVE_COM4", sim->devicePath().toLocal8Bit());
    return true;
}

void E2eFixture::connectWithDefaults() {
    click(shell().main(), "cmd_comm");
    ASSERT_TRUE(shell().startDialog().isVisible());
    click(shell().startDialog(), "cmd_common");
    ASSERT_TRUE(shell().main().isVisible());
    ASSERT_TRUE(shell().MSC().PortOpen());
}

void E2eFixture::homeSearchIsAnswered() {
    MainPanel& main = shell().main();
    click(main, "cmd_orgin");
    EXPECT_EQ(box(main, "txt_tx")->text(), "AA  00  07  01  00  00  00  00  EE  08  ");
    ASSERT_TRUE(waitForEcho(box(main, "rx_txt"), 10));
    EXPECT_EQ(box(main, "rx_txt")->text(), "BB  00  07  64  00  00  00  00  EE  6B  ");
}

bool E2eFixture::saidAndSettled() {
    const bool settled = QTest::qWaitFor(
        [&] {
            return !messages.shown.isEmpty() && !shell().main().link().awaiting() &&
                   !shell().jogPosition().link().awaiting() && !shell().belt().link().awaiting();
        },
        kWaitMs + 3000);
    pumpEvents();
    return settled;
}

} // namespace stepdrive::test
