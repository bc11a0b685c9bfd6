// The windows on a drive behind a serial device server: real ser2net on
// 127.0.0.1 in front of stepdrive-sim, as raw TCP and as RFC 2217, and
// addresses that refuse or are not found.

#include "tests/e2e/e2e_fixture.h"

#include "app/start_dialog.h"
#include "link/comm_control.h"
#include "panels/jog_position/jog_position_panel.h"
#include "panels/main/main_panel.h"
#include "tests/support/ser2net.h"
#include "ui/colours.h"

#include <QComboBox>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSettings>
#include <QTest>
#include <QTimer>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

// Every main panel parameter, each with the box READ ALL reads it back into;
// the home offset -1 (FF FF FF FF) and the stop current 13 (0D) carry bytes
// telnet treats apart.
const struct {
    const char* entry;
    const char* readBack;
    const char* text;
} kParameters[] = {{"Text_WDATA2", "Text_RDATA2", "25"}, {"Text_WDATA3", "Text_RDATA3", "13"},
                   {"Text_VMAX", "Text_RVMAX", "1200"},  {"Text_ACCEL", "Text_RACCEL", "40"},
                   {"Text_HSPD", "Text_RHSPD", "700"},   {"Text_HOFF", "Text_RHOFF", "-1"},
                   {"Text_REL", "Text_REPOS", "4"}};

class E2eNetwork : public E2eFixture {
protected:
    // "통신설정" on the main panel, `address` typed into the port box, "통신 연결".
    void connectTo(const QString& address) {
        if (!shell().startDialog().isVisible())
            click(shell().main(), "cmd_comm");
        StartDialog& dialog = shell().startDialog();
        ASSERT_TRUE(dialog.isVisible());
        auto* port = dialog.findChild<QComboBox*>(QStringLiteral("Combo_0"));
        port->lineEdit()->clear();
        QTest::keyClicks(port->lineEdit(), address);
        click(dialog, "cmd_common");
    }
    bool readBack(const char* name) {
        return QTest::qWaitFor(
            [&] { return backColour(box(shell().main(), name)) == colour::readBack; }, kWaitMs);
    }
    // One message, which names the address and says `words`.
    void saidOnce(const QString& address, const QString& words) {
        ASSERT_TRUE(saidAndSettled());
        ASSERT_EQ(messages.shown.size(), 1) << messages.shown.join('\n').toStdString();
        EXPECT_TRUE(messages.shown[0].contains(address) && messages.shown[0].contains(words))
            << messages.shown[0].toStdString();
        messages.shown.clear();
    }
};

class E2eDeviceServer : public E2eNetwork, public ::testing::WithParamInterface<Ser2net::Mode> {
protected:
    void SetUp() override {
        E2eNetwork::SetUp();
        ASSERT_TRUE(useSimulator(std::make_unique<Simulator>(QStringList{"--verbose"})));
        server = std::make_unique<Ser2net>(GetParam(), sim->devicePath());
        ASSERT_TRUE(server->listening());
    }
    void TearDown() override {
        E2eNetwork::TearDown();
        server.reset();
    }
    std::unique_ptr<Ser2net> server;
};

} // namespace

TEST_P(E2eDeviceServer, writeAllAndReadAllCarryEveryValueThroughIt) {
    ASSERT_NO_FATAL_FAILURE(connectTo(server->address()));
    ASSERT_TRUE(shell().MSC().PortOpen()) << messages.shown.join('\n').toStdString();
    // The address typed is the port offered at the next start.
    EXPECT_EQ(QSettings("stepdrive", "stepdrive").value("port").toString(), server->address());

    for (const auto& p : kParameters)
        type(shell().main(), p.entry, QString::fromLatin1(p.text));
    click(shell().main(), "cmd_Data");
    click(shell().main(), "cmd_RData");
    ASSERT_TRUE(readBack("Text_REPOS"));
    for (const auto& p : kParameters)
        EXPECT_EQ(box(shell().main(), p.readBack)->text(), p.text) << p.readBack;

    // The table panel's port takes the device server over: a row with a
    // speed of 3328 (0D 00) goes down and comes back.
    click(shell().main(), "cmd_JP");
    JogPositionPanel& table = shell().jogPosition();
    ASSERT_TRUE(table.isVisible());
    typeRow(table, 0, "-1 3328 13");
    click(table, "CMD_DOWN");
    ASSERT_TRUE(waitForEcho(box(table, "rx2_txt"), 7 * 13));
    typeRow(table, 0, "5 6 7");
    click(table, "CMD_READ");
    ASSERT_TRUE(QTest::qWaitFor([&] { return table.read_step() == 0; }, kWaitMs));
    EXPECT_EQ(rowText(table, 0), "-1 3328 13");

    // The driver got the bytes as they were sent: neither doubled nor dropped.
    const QStringList frames = sim->received();
    EXPECT_EQ(frames.filter(QRegularExpression("^AA 00 05 09 FF FF FF FF EE")).size(), 1)
        << frames.join('\n').toStdString();
    EXPECT_EQ(frames.filter(QRegularExpression("^CC 00 0E 01 0D 00 00 0D FF FF FF EE")).size(), 1)
        << frames.join('\n').toStdString();
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}

// The device server goes away in the middle of READ ALL: one message, and
// once it is back the dialog connects again, here through a COM mapping.
TEST_P(E2eDeviceServer, aDeviceServerGoneIsSaidOnceAndReconnectedWhenBack) {
    ASSERT_NO_FATAL_FAILURE(connectTo(server->address()));
    ASSERT_TRUE(shell().MSC().PortOpen()) << messages.shown.join('\n').toStdString();
    QTimer::singleShot(250, [this] { server->stop(); });
    click(shell().main(), "cmd_RData");
    ASSERT_NO_FATAL_FAILURE(saidOnce(server->address(), "연결이 끊어졌습니다"));
    EXPECT_FALSE(shell().MSC().PortOpen());

    // Back, and reached this time as COM4 mapped to its address.
    ASSERT_TRUE(server->start());
    qputenv("STEPDRIVE_COM4", server->address().toLocal8Bit());
    ASSERT_NO_FATAL_FAILURE(connectTo(QStringLiteral("COM4")));
    ASSERT_TRUE(shell().MSC().PortOpen()) << messages.shown.join('\n').toStdString();
    EXPECT_EQ(shell().MSC().portLabel(), "COM4 (" + server->address() + ")");
    click(shell().main(), "cmd_RData");
    EXPECT_TRUE(readBack("Text_REPOS"));
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Modes, E2eDeviceServer,
                         ::testing::Values(Ser2net::Mode::Raw, Ser2net::Mode::Rfc2217),
                         [](const auto& info) {
                             return info.param == Ser2net::Mode::Raw ? "raw" : "rfc2217";
                         });

// Addresses that do not lead to a drive: each is said once, by its address,
// and the dialog stays ready for another.
TEST_F(E2eNetwork, anAddressWithoutADriveIsSaidOnce) {
    Ser2net raw(Ser2net::Mode::Raw, sim->devicePath());
    ASSERT_TRUE(raw.listening());
    const struct {
        QString address;
        QString words;
        bool waits; // the answer is waited for, with the event loop running
    } cases[] = {
        {QStringLiteral("tcp://127.0.0.1:%1").arg(freePort()), "연결을 거부했습니다", false},
        {QStringLiteral("rfc2217://[::1]:%1").arg(freePort()), "연결을 거부했습니다", false},
        {QStringLiteral("tcp://stepdrive-nowhere.invalid:4001"), "호스트를 찾을 수 없습니다",
         false},
        // A raw device server never answers in telnet.
        {raw.address().replace("tcp://", "rfc2217://"), "RFC 2217", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.address.toStdString());
        int ticks = 0;
        QTimer clock;
        QObject::connect(&clock, &QTimer::timeout, [&ticks] { ++ticks; });
        clock.start(100);
        ASSERT_NO_FATAL_FAILURE(connectTo(c.address));
        // The window is not frozen while the connection is tried.
        EXPECT_TRUE(!c.waits || ticks > 10) << ticks;
        ASSERT_NO_FATAL_FAILURE(saidOnce(c.address, c.words));
        EXPECT_FALSE(shell().MSC().PortOpen());
        EXPECT_TRUE(shell().startDialog().isVisible());
        EXPECT_TRUE(button(shell().startDialog(), "cmd_common")->isEnabled());
    }
}
