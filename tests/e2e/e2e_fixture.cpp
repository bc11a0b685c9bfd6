#include "tests/e2e/e2e_fixture.h"

#include "app/start_dialog.h"
#include "core/frame.h"
#include "link/comm_control.h"
#include "panels/main/main_panel.h"

#include <QLineEdit>

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

void E2eFixture::exchange(const char* button, const char* sent, const char* replied) {
    MainPanel& main = shell().main();
    click(main, button);
    EXPECT_EQ(box(main, "txt_tx")->text(), sent) << button;
    ASSERT_TRUE(waitForEcho(box(main, "rx_txt"), 10)) << button;
    EXPECT_EQ(box(main, "rx_txt")->text(), replied) << button;
}

std::optional<std::int32_t> E2eFixture::driverPosition() {
    MainPanel& main = shell().main();
    click(main, "Cmd_RPOS");
    if (!waitForEcho(box(main, "rx_txt"), 10))
        return std::nullopt;
    const QByteArray reply = QByteArray::fromHex(box(main, "rx_txt")->text().toLatin1());
    return parseReply(Format::Short, reinterpret_cast<const std::uint8_t*>(reply.constData()),
                      static_cast<std::size_t>(reply.size()), true)
        .value();
}

} // namespace stepdrive::test
