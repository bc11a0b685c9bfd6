// The line misbehaves, goes quiet or goes away, with the windows and the
// serial port controls that ship, against stepdrive-sim and a bare line.

#include "tests/e2e/e2e_fixture.h"

#include "app/start_dialog.h"
#include "link/comm_control.h"
#include "panels/jog_position/jog_position_panel.h"
#include "panels/main/main_panel.h"
#include "tests/support/pty.h"
#include "ui/colours.h"
#include "ui/lamp.h"

#include <QApplication>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

class E2eFaults : public E2eFixture {
protected:
    void connectTo(const QStringList& arguments) {
        ASSERT_TRUE(useSimulator(std::make_unique<Simulator>(arguments)));
        ASSERT_NO_FATAL_FAILURE(connectWithDefaults());
    }
    static bool filled(const QLineEdit* box) {
        return QTest::qWaitFor([&] { return backColour(box) == colour::readBack; }, kWaitMs);
    }
    // Back to the dialog from `window`, disconnect, and connect to a new
    // driver started with `arguments`.
    void switchDriver(QWidget& window, const QStringList& arguments = {}) {
        ASSERT_TRUE(useSimulator(std::make_unique<Simulator>(arguments)));
        click(window, "cmd_comm");
        click(shell().startDialog(), "cmd_commoff");
        click(shell().startDialog(), "cmd_common");
        ASSERT_TRUE(shell().MSC().PortOpen());
    }
};

const char* const kMainReadBacks[] = {"Text_RDATA2", "Text_RDATA3", "Text_RVMAX", "Text_RACCEL",
                                      "Text_RHSPD",  "Text_RHOFF",  "Text_REPOS"};
const char* const kMainDefaults[] = {"20", "4", "800", "10", "500", "12800", "2"};

} // namespace

// Replies in pieces are whole replies, also with a stop pressed during
// READ ALL: the receiver stays in step, and the inputs read afterwards are
// the driver's, with no box. A dropped one stops the chain where it is, said
// once, with the boxes it did not fill emptied, and once the line is sound
// again the panel works.
TEST_F(E2eFaults, splitAndDroppedRepliesNeitherCrashNorHang) {
    connectTo({"--split", "3", "--inputs", "5"});
    MainPanel& main = shell().main();
    click(main, "cmd_RData");
    ASSERT_TRUE(filled(box(main, "Text_REPOS")));

    click(main, "cmd_ROR");
    click(main, "cmd_RData");
    QTimer::singleShot(300, [&main] { click(main, "mtr_STOP"); });
    ASSERT_TRUE(saidAndSettled());
    EXPECT_EQ(messages.shown.size(), 1) << messages.shown.join('\n').toStdString();
    messages.shown.clear();
    click(main, "CMD_IN");
    const auto lamp = [&main](const char* name) { return main.findChild<Lamp*>(name)->isOn(); };
    ASSERT_TRUE(QTest::qWaitFor([&] { return lamp("led1") && lamp("led3"); }, kWaitMs));
    EXPECT_FALSE(lamp("led2"));
    pumpEvents();
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();

    // Every third command goes unanswered.
    ASSERT_NO_FATAL_FAILURE(switchDriver(main, {"--drop", "3"}));
    for (const char* name : kMainReadBacks)
        setBackColour(box(main, name), colour::white);
    click(main, "cmd_RData");
    ASSERT_TRUE(filled(box(main, "Text_RDATA3")));
    // The run speed's request was dropped.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.isEmpty(); }, kWaitMs));
    EXPECT_EQ(main.read_data(), 0);
    EXPECT_EQ(box(main, "Text_RDATA3")->text(), "4");
    EXPECT_EQ(box(main, "Text_RVMAX")->text(), "");
    EXPECT_EQ(backColour(box(main, "Text_RVMAX")), colour::white);
    messages.shown.clear();

    ASSERT_NO_FATAL_FAILURE(switchDriver(main));
    homeSearchIsAnswered();
    click(main, "cmd_RData");
    EXPECT_TRUE(filled(box(main, "Text_REPOS")));
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}

// A driver that never answers is said once, soon, and the chain stops; a
// stop pressed while READ ALL runs on a slow driver cuts it short, said
// once, and the next READ ALL fills every box with its own reply.
TEST_F(E2eFaults, aSilentDriverIsSaidOnceAndAStopCutsReadAllShort) {
    connectTo({"--drop", "1"});
    MainPanel& main = shell().main();
    click(main, "cmd_RData");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.isEmpty(); }, kWaitMs));
    EXPECT_TRUE(messages.shown[0].contains("19200")) << messages.shown[0].toStdString();
    EXPECT_EQ(main.read_data(), 0);
    EXPECT_EQ(backColour(box(main, "Text_RDATA2")), colour::white);

    ASSERT_NO_FATAL_FAILURE(switchDriver(main, {"--delay-ms", "20"}));
    messages.shown.clear();
    click(main, "cmd_RData");
    QTimer::singleShot(160, [&main] { click(main, "mtr_STOP"); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.isEmpty(); }, kWaitMs));
    EXPECT_TRUE(messages.shown[0].contains("READ ALL")) << messages.shown[0].toStdString();
    EXPECT_EQ(main.read_data(), 0);
    EXPECT_EQ(box(main, "Text_REPOS")->text(), "");
    ASSERT_TRUE(saidAndSettled());

    click(main, "cmd_RData");
    ASSERT_TRUE(filled(box(main, "Text_REPOS")));
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(box(main, kMainReadBacks[i])->text(), kMainDefaults[i]) << kMainReadBacks[i];
    EXPECT_EQ(messages.shown.size(), 1) << messages.shown.join('\n').toStdString();
}

// The driver is switched off while idle, and in the middle of a sequence
// with pauses and of a read-back chain: one message each time, every port
// object reads closed, typed values stay, and a new driver on a line of its
// own can be connected.
TEST_F(E2eFaults, aVanishedDriverIsReportedOnceAndAReconnectWorks) {
    const struct {
        const char* what;
        const char* toPanel; // the main panel's navigation button, or null
        const char* button;  // null: the driver goes while nothing is sent
        int killAfterMs;
        const char* typed; // a box typed in before
        const char* after; // what it shows after the loss
    } cases[] = {
        {"idle", nullptr, nullptr, 0, "Text_PULSE", "7"},
        {"WRITE ALL", nullptr, "cmd_Data", 400, "Text_PULSE", "7"},
        // A read cut short leaves what was typed in a row it did not fill.
        {"table read", "cmd_JP", "CMD_READ", 250, "Text_pos_6", "7"},
    };
    connectTo({});
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        messages.shown.clear();
        if (c.toPanel)
            click(shell().main(), c.toPanel);
        QWidget& panel = c.toPanel ? static_cast<QWidget&>(shell().jogPosition()) : shell().main();
        ASSERT_TRUE(panel.isVisible());
        QLineEdit* typed = box(panel, c.typed);
        typed->setText(QStringLiteral("7"));

        // The next driver is started first, so that its line has a path of its own.
        auto next = std::make_unique<Simulator>();
        ASSERT_NE(next->devicePath(), sim->devicePath());
        Simulator* driver = sim.get();
        QTimer::singleShot(c.killAfterMs, [driver] { driver->kill(); });
        if (c.button)
            click(panel, c.button);
        ASSERT_TRUE(saidAndSettled());
        EXPECT_EQ(messages.shown.size(), 1) << messages.shown.join('\n').toStdString();
        EXPECT_TRUE(messages.shown.value(0).contains("연결이 끊어졌습니다"))
            << messages.shown.join('\n').toStdString();
        for (CommControl* port : {&shell().MSC(), &shell().MSC1(), &shell().MSC2()})
            EXPECT_FALSE(port->PortOpen()) << port->name().toStdString();
        EXPECT_TRUE(panel.isVisible());
        EXPECT_EQ(typed->text(), c.after);
        EXPECT_EQ(endProgramCalls, 0);

        messages.shown.clear();
        ASSERT_TRUE(useSimulator(std::move(next)));
        click(panel, "cmd_comm");
        click(shell().startDialog(), "cmd_common");
        ASSERT_TRUE(shell().MSC().PortOpen());
        EXPECT_EQ(shell().MSC().devicePath(), sim->devicePath());
        homeSearchIsAnswered();
        EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
    }
}

// A flood of noise at a panel, idle and in a read-back, far more than the line
// holds at once: the window goes on handling clicks, the RX box stays bounded,
// and the panel works once the line is quiet again.
TEST(E2eNoise, aFloodOfNoiseLeavesThePanelWorking) {
    Pty line;
    ASSERT_TRUE(line.ok());
    const ComMapping com4(4, line.slavePath());
    RecordingMessenger messages;
    Shell shell(messages);
    shell.setEndProgram([] {});
    shell.start();
    MainPanel& main = shell.main();
    click(main, "cmd_comm");
    click(shell.startDialog(), "cmd_common");
    ASSERT_TRUE(shell.MSC().PortOpen());
    QLineEdit* rx = box(main, "rx_txt");
    QLineEdit* readRun = box(main, "Text_RDATA2");

    QRandomGenerator noise(7);
    auto flood = [&](int kibibytes, const std::function<void()>& halfway) {
        QByteArray chunk(4096, '\0');
        for (int sent = 0; sent < kibibytes / 4; ++sent) {
            for (char& c : chunk)
                c = static_cast<char>(noise.bounded(256));
            line.write(chunk);
            if (sent == kibibytes / 8)
                halfway();
        }
        // The program has taken the whole flood once its RX box ends with it.
        const auto* tail = reinterpret_cast<const std::uint8_t*>(chunk.constData()) + 4096 - 16;
        const QString echoed = QString::fromStdString(hexEcho(tail, 16));
        ASSERT_TRUE(QTest::qWaitFor([&] { return rx->text().endsWith(echoed); }, kWaitMs));
    };

    // Idle: a click half-way through is handled while the noise goes on, and
    // its reply lost in the noise is said.
    flood(256, [&] { click(main, "cmd_orgin"); });
    EXPECT_LE(rx->text().size(), 4 * FrameLink::kRxEchoShownBytes);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.isEmpty(); }, kWaitMs));
    EXPECT_TRUE(line.read(1 << 20, 500).contains(QByteArray::fromHex("AA00070100000000EE08")));

    // In a read-back: the chain gets garbage and waits; READ ALL starts it
    // again once the line is quiet.
    click(main, "cmd_RData");
    flood(256, [] {});
    line.read(1 << 20, 200);
    messages.shown.clear();
    setBackColour(readRun, colour::white);
    click(main, "cmd_RData");
    EXPECT_EQ(line.read(12), QByteArray::fromHex("AA00060100000000EE070000"));
    line.write(QByteArray::fromHex("BB0006640000001FEE00"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return readRun->text() == "31"; }, kWaitMs));
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.mid(0, 3).join('\n').toStdString();
    shell.exitProgram();
}
