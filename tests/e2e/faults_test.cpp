// The line misbehaves, goes quiet or goes away, with the windows and the
// serial port controls that ship, against stepdrive-sim and a bare line.

#include "tests/e2e/e2e_fixture.h"

#include "app/start_dialog.h"
#include "link/comm_control.h"
#include "link/serial_comm_control.h"
#include "panels/belt/belt_panel.h"
#include "panels/jog_position/jog_position_panel.h"
#include "panels/main/main_panel.h"
#include "tests/support/pty.h"
#include "ui/colours.h"

#include <QApplication>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTest>
#include <QTimer>
#include <functional>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

const QString kCommError = QStringLiteral("통신에러");

class E2eFaults : public E2eFixture {
protected:
    void connectTo(const QStringList& arguments) {
        ASSERT_TRUE(useSimulator(std::make_unique<Simulator>(arguments)));
        ASSERT_NO_FATAL_FAILURE(connectWithDefaults());
    }
    // From the main panel to the panel a navigation button leads to.
    QWidget& goTo(const char* button) {
        click(shell().main(), button);
        if (QByteArray(button) == "cmd_JP")
            return shell().jogPosition();
        return shell().belt();
    }
    int commErrors() const { return static_cast<int>(messages.shown.count(kCommError)); }
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
    // The same with a sound driver: the home search is answered again.
    void reconnectFrom(QWidget& window) {
        ASSERT_NO_FATAL_FAILURE(switchDriver(window));
        homeSearchIsAnswered();
    }
};

const char* const kMainReadBacks[] = {"Text_RDATA2", "Text_RDATA3", "Text_RVMAX", "Text_RACCEL",
                                      "Text_RHSPD",  "Text_RHOFF",  "Text_REPOS"};
const char* const kMainDefaults[] = {"20", "4", "800", "10", "500", "12800", "2"};

} // namespace

// A wrong byte is one message each; the reply is still used, and the read-back
// goes on to its end.
TEST_F(E2eFaults, garbledRepliesAreReportedAndStillUsedInEveryPanel) {
    // Main: every second reply with a wrong header.
    connectTo({"--fault", "header", "--every", "2"});
    MainPanel& main = shell().main();
    click(main, "cmd_RData");
    ASSERT_TRUE(filled(box(main, "Text_REPOS")));
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(box(main, kMainReadBacks[i])->text(), kMainDefaults[i]) << kMainReadBacks[i];
    EXPECT_EQ(commErrors(), 3);
    EXPECT_EQ(messages.shown.size(), 3);

    // Table: a wrong trailer counts only while a read-back runs.
    messages.shown.clear();
    ASSERT_NO_FATAL_FAILURE(switchDriver(main, {"--fault", "trailer"}));
    JogPositionPanel& table = shell().jogPosition();
    click(main, "cmd_JP");
    ASSERT_TRUE(table.isVisible());
    type(table, "Text_pos_6", "-4242");
    click(table, "CMD_DOWN");
    QTest::qWait(300);
    EXPECT_EQ(commErrors(), 0);
    click(table, "CMD_READ");
    ASSERT_TRUE(filled(box(table, "Text_pos_6")));
    EXPECT_EQ(box(table, "Text_pos_6")->text(), "-4242");
    EXPECT_EQ(commErrors(), 7);

    // Belt: a wrong status byte in every reply.
    ASSERT_NO_FATAL_FAILURE(switchDriver(table, {"--fault", "status"}));
    messages.shown.clear();
    BeltPanel& belt = shell().belt();
    click(main, "Command1");
    ASSERT_TRUE(belt.isVisible());
    click(belt, "cmd_RData");
    ASSERT_TRUE(filled(box(belt, "Text_rvmax4")));
    EXPECT_EQ(commErrors(), 4);
    EXPECT_EQ(belt.read_step(), 0);
    ASSERT_NO_FATAL_FAILURE(reconnectFrom(belt));
}

// Replies in pieces are whole replies; a dropped one stops the chain where
// it is, and READ ALL starts it again.
TEST_F(E2eFaults, splitAndDroppedRepliesNeitherCrashNorHang) {
    connectTo({"--split", "3"});
    MainPanel& main = shell().main();
    click(main, "cmd_RData");
    ASSERT_TRUE(filled(box(main, "Text_REPOS")));
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();

    // Every third command goes unanswered.
    ASSERT_NO_FATAL_FAILURE(switchDriver(main, {"--drop", "3"}));
    for (const char* name : kMainReadBacks)
        setBackColour(box(main, name), colour::white);
    click(main, "cmd_RData");
    ASSERT_TRUE(filled(box(main, "Text_RDATA3")));
    QTest::qWait(500);
    EXPECT_EQ(main.read_data(), 4); // waits for the run speed, whose request was dropped
    EXPECT_EQ(backColour(box(main, "Text_RVMAX")), colour::white);
    // READ ALL starts over: commands 4 and 5 are answered, 6 is not.
    for (const char* name : kMainReadBacks)
        setBackColour(box(main, name), colour::white);
    click(main, "cmd_RData");
    ASSERT_TRUE(filled(box(main, "Text_RDATA3")));
    QTest::qWait(500);
    EXPECT_EQ(main.read_data(), 4);

    // Once the line is sound again, the panel works.
    ASSERT_NO_FATAL_FAILURE(reconnectFrom(main));
    click(main, "cmd_RData");
    EXPECT_TRUE(filled(box(main, "Text_REPOS")));
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}

// A driver that never answers is said once, soon, and the chain stops; a
// sound driver then fills every box, also with stops pressed while READ ALL
// runs and their replies come between the chain's.
TEST_F(E2eFaults, aSilentDriverIsSaidOnceAndAStopDuringReadAllFillsNoBox) {
    connectTo({"--drop", "1"});
    MainPanel& main = shell().main();
    click(main, "cmd_RData");
    EXPECT_TRUE(QTest::qWaitFor([&] { return !messages.shown.isEmpty(); }, kWaitMs));
    QTest::qWait(300);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].contains("19200")) << messages.shown[0].toStdString();
    EXPECT_EQ(main.read_data(), 0);
    EXPECT_EQ(backColour(box(main, "Text_RDATA2")), colour::white);

    messages.shown.clear();
    ASSERT_NO_FATAL_FAILURE(switchDriver(main, {"--delay-ms", "20"}));
    click(main, "cmd_RData");
    for (int ms : {15, 60, 110})
        QTimer::singleShot(ms, [&main] { click(main, "mtr_STOP"); });
    ASSERT_TRUE(filled(box(main, "Text_REPOS")));
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(box(main, kMainReadBacks[i])->text(), kMainDefaults[i]) << kMainReadBacks[i];
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}

namespace {

// A button whose sequence the driver vanishes in, and when.
struct Vanishing {
    const char* what;
    const char* toPanel; // the main panel's navigation button, or null
    const char* button;
    int killAfterMs;
    const char* typed; // a box the sequence leaves alone until then
};

} // namespace

// The driver is switched off in the middle of each sequence: one message,
// the port object reads closed, typed values stay, and a new driver can be
// connected.
TEST_F(E2eFaults, aPulledCableDuringEverySequenceIsReportedOnce) {
    const Vanishing cases[] = {
        {"WRITE ALL", nullptr, "cmd_Data", 400, "Text_PULSE"},
        {"READ ALL", nullptr, "cmd_RData", 250, "Text_WDATA2"},
        {"table download", "cmd_JP", "CMD_DOWN", 400, "Text_pos_6"},
        {"table read", "cmd_JP", "CMD_READ", 250, "Text_pos_6"},
        {"belt WRITE ALL", "Command1", "cmd_Data", 300, "Text_wacc1"},
        {"belt READ ALL", "Command1", "cmd_RData", 150, "Text_wacc1"},
    };
    connectTo({});
    for (const Vanishing& c : cases) {
        SCOPED_TRACE(c.what);
        messages.shown.clear();
        QWidget& panel = c.toPanel ? goTo(c.toPanel) : static_cast<QWidget&>(shell().main());
        ASSERT_TRUE(panel.isVisible());
        QLineEdit* typed = box(panel, c.typed);
        ASSERT_NE(typed, nullptr);
        typed->setText(QStringLiteral("7"));

        Simulator* driver = sim.get();
        QTimer::singleShot(c.killAfterMs, [driver] { driver->kill(); });
        click(panel, c.button);
        QTest::qWait(1500);
        EXPECT_EQ(messages.shown.size(), 1) << messages.shown.join('\n').toStdString();
        EXPECT_TRUE(messages.shown.value(0).contains("연결이 끊어졌습니다"))
            << messages.shown.join('\n').toStdString();
        for (CommControl* port : {&shell().MSC(), &shell().MSC1(), &shell().MSC2()})
            EXPECT_FALSE(port->PortOpen()) << port->name().toStdString();
        EXPECT_EQ(typed->text(), "7");
        EXPECT_EQ(endProgramCalls, 0);

        messages.shown.clear();
        ASSERT_NO_FATAL_FAILURE(reconnectFrom(panel));
        EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
    }
}

// Megabytes of noise at a panel, idle and in a read-back: the window goes on
// handling clicks, the RX box stays bounded, and the panel works once the line
// is quiet again.
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
    auto flood = [&](int mebibytes, const std::function<void()>& halfway) {
        QByteArray chunk(4096, '\0');
        for (int sent = 0; sent < mebibytes * 256; ++sent) {
            for (char& c : chunk)
                c = static_cast<char>(noise.bounded(256));
            line.write(chunk);
            if (sent == mebibytes * 128)
                halfway();
        }
        QTest::qWait(200);
    };

    // Idle: a click half-way through is handled while the noise goes on.
    flood(2, [&] { click(main, "cmd_orgin"); });
    EXPECT_LE(rx->text().size(), 4 * FrameLink::kRxEchoShownBytes);
    EXPECT_GT(messages.shown.size(), 0);
    EXPECT_TRUE(line.read(1 << 20, 500).contains(QByteArray::fromHex("AA00070100000000EE08")));

    // In a read-back: the chain gets garbage and waits; READ ALL starts it
    // again once the line is quiet.
    click(main, "cmd_RData");
    flood(2, [] {});
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

// Another program holds the driver's line: connect says so once and the
// operator stays on the dialog, ready to try again.
TEST_F(E2eFaults, aBusyDeviceOnConnectIsOneMessageAndTheDialogStays) {
    SerialCommControl other(QStringLiteral("other"), nullptr);
    other.setCommPort(4);
    other.setSettings(QStringLiteral("19200,N,8,1"));
    ASSERT_TRUE(other.setPortOpen(true));

    click(shell().main(), "cmd_comm");
    StartDialog& start = shell().startDialog();
    click(start, "cmd_common");
    EXPECT_EQ(messages.shown.size(), 1) << messages.shown.join('\n').toStdString();
    EXPECT_TRUE(messages.shown.value(0).contains("COM4"));
    EXPECT_TRUE(start.isVisible());
    EXPECT_FALSE(shell().main().isVisible());
    EXPECT_FALSE(shell().MSC().PortOpen());
    EXPECT_TRUE(button(start, "cmd_common")->isEnabled());

    other.setPortOpen(false);
    click(start, "cmd_common");
    EXPECT_TRUE(shell().MSC().PortOpen());
    homeSearchIsAnswered();
    EXPECT_EQ(messages.shown.size(), 1);
}
