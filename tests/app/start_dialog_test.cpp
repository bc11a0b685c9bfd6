#include "app/port_list.h"
#include "app/start_dialog.h"
#include "panels/main/main_panel.h"
#include "tests/support/panel_fixture.h"
#include "tests/support/pty.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QListWidget>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

struct StartDialogTest : PanelFixture {
    StartDialog& openDialog() {
        shell.start();
        click(shell.main(), "cmd_comm");
        return shell.startDialog();
    }
    static QComboBox* combo(QWidget& w, int i) {
        return w.findChild<QComboBox*>(QStringLiteral("Combo_%1").arg(i));
    }
    void expectConfigured(const QString& settings, int port) {
        const std::pair<const char*, int> thresholds[] = {{"MSC", 10}, {"MSC1", 13}, {"MSC2", 10}};
        for (const auto& [name, threshold] : thresholds) {
            FakeCommControl& p = this->port(QString::fromLatin1(name));
            EXPECT_EQ(p.Settings(), settings) << name;
            EXPECT_EQ(p.CommPort(), port) << name;
            EXPECT_EQ(p.RThreshold(), threshold) << name;
            EXPECT_EQ(p.InputLen(), 1) << name;
        }
    }
    bool idleState(QWidget& dialog) {
        return combo(dialog, 0)->isEnabled() && combo(dialog, 1)->isEnabled() &&
               button(dialog, "cmd_common")->isEnabled() &&
               !button(dialog, "cmd_commoff")->isEnabled();
    }
    bool connectedState(QWidget& dialog) {
        return !combo(dialog, 0)->isEnabled() && !combo(dialog, 1)->isEnabled() &&
               !button(dialog, "cmd_common")->isEnabled() &&
               button(dialog, "cmd_commoff")->isEnabled();
    }
};

} // namespace

TEST_F(StartDialogTest, opensFromTheMainPanelWithTheDefaults) {
    StartDialog& dialog = openDialog();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(shell.main().isVisible());
    EXPECT_EQ(dialog.windowTitle(), "START");
    EXPECT_EQ(combo(dialog, 0)->count(), 9);
    EXPECT_EQ(combo(dialog, 0)->itemText(8), "COM9");
    EXPECT_EQ(combo(dialog, 1)->count(), 13);
    combo(dialog, 1)->showPopup(); // its list shows low_speed6000 whole
    EXPECT_GE(combo(dialog, 1)->view()->viewport()->width(),
              combo(dialog, 1)->view()->sizeHintForColumn(0));
    combo(dialog, 1)->hidePopup();
    EXPECT_TRUE(idleState(dialog)); // COM4 and 19200 by default: see the connect cases
    // The probe leaves every port closed and sends nothing.
    EXPECT_FALSE(port("MSC").PortOpen());
    EXPECT_TRUE(sentAnywhere().isEmpty());
    EXPECT_TRUE(messages.shown.isEmpty());
}

// The defaults, then a chosen port and speed: all three port objects take
// them, and only MSC opens.
TEST_F(StartDialogTest, connectConfiguresAllThreeAndOpensMscOnly) {
    StartDialog& dialog = openDialog();
    const struct {
        int portIndex; // -1: as the dialog offers it
        int baudIndex;
        const char* settings;
        int commPort;
        const char* opened;
    } cases[] = {{-1, -1, "19200,N,8,1", 4, "/nonexistent/stepdrive-COM4 19200,N,8,1"},
                 {0, 1, "128000,N,8,1", 1, "/nonexistent/stepdrive-COM1 128000,N,8,1"}};
    for (const auto& c : cases) {
        if (c.portIndex >= 0) {
            click(shell.main(), "cmd_comm");
            click(dialog, "cmd_commoff");
            combo(dialog, 0)->setCurrentIndex(c.portIndex);
            combo(dialog, 1)->setCurrentIndex(c.baudIndex);
        }
        click(dialog, "cmd_common");
        expectConfigured(c.settings, c.commPort);
        EXPECT_EQ(port("MSC").opens.last(), c.opened);
        EXPECT_TRUE(port("MSC").PortOpen());
        EXPECT_FALSE(port("MSC1").PortOpen() || port("MSC2").PortOpen());
        EXPECT_FALSE(dialog.isVisible());
        EXPECT_TRUE(shell.main().isVisible());
        EXPECT_TRUE(connectedState(dialog));
    }
    // Disconnect keeps the dialog and the port and speed chosen.
    click(shell.main(), "cmd_comm");
    click(dialog, "cmd_commoff");
    EXPECT_TRUE(dialog.isVisible() && idleState(dialog));
    EXPECT_EQ(combo(dialog, 0)->currentText() + ' ' + combo(dialog, 1)->currentText(),
              "COM1 128000");
}

// What is typed into the port box goes to all three port objects: a COM
// number, or a device by its path. No port at all is reported, naming it.
TEST_F(StartDialogTest, typedPortsGoToEveryPortObject) {
    const struct {
        const char* typed;
        int commPort;
        const char* device; // opened on MSC; null when nothing opens
        const char* message;
    } cases[] = {
        {"/dev/ttyUSB0", 0, "/dev/ttyUSB0", nullptr},
        {"com11", 11, "/nonexistent/stepdrive-COM11", nullptr},
        {"", 0, nullptr, "COM0: 포트 번호가 없습니다. 포트를 목록에서 고르십시오."},
        {"/dev/refused", 0, nullptr, "/dev/refused을(를) 열 수 없습니다: 시스템 오류 (refused)"},
    };
    StartDialog& dialog = openDialog();
    port("MSC").refusedPath = QStringLiteral("/dev/refused");
    for (const auto& c : cases) {
        messages.shown.clear();
        combo(dialog, 0)->setEditText(QString::fromUtf8(c.typed));
        click(dialog, "cmd_common");
        for (const char* name : {"MSC", "MSC1", "MSC2"}) {
            EXPECT_EQ(port(QString::fromLatin1(name)).CommPort(), c.commPort) << c.typed << name;
            if (c.device) {
                EXPECT_EQ(port(QString::fromLatin1(name)).devicePath(), c.device) << c.typed;
            }
        }
        EXPECT_EQ(messages.shown.join('\n'), QString::fromUtf8(c.message ? c.message : ""))
            << c.typed;
        EXPECT_EQ(port("MSC").PortOpen(), c.device != nullptr) << c.typed;
        if (c.device)
            click(dialog, "cmd_commoff");
        EXPECT_TRUE(idleState(dialog)) << c.typed;
    }
}

TEST_F(StartDialogTest, unusableBaudIsReportedOnceAndTheDialogStaysIdle) {
    StartDialog& dialog = openDialog();
    QTest::keyClicks(combo(dialog, 1), "fast");
    click(dialog, "cmd_common");
    expectConfigured(",N,8,1", 4);
    EXPECT_EQ(messages.shown.size(), 1);
    EXPECT_FALSE(port("MSC").PortOpen());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(shell.main().isVisible());
    EXPECT_TRUE(idleState(dialog));

    // Baud position 0 is listed but no line can run at it.
    messages.shown.clear();
    combo(dialog, 1)->setCurrentIndex(0);
    click(dialog, "cmd_common");
    EXPECT_EQ(port("MSC").Settings(), "low_speed6000,N,8,1");
    EXPECT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(dialog.isVisible());
}

// A line lost behind the dialog, on the main or the table panel, leaves the
// dialog ready to connect again at once.
TEST_F(StartDialogTest, aLostLineShowsTheDialogDisconnected) {
    StartDialog& dialog = openDialog();
    const std::pair<Win, const char*> cases[] = {{Win::Main, "MSC"}, {Win::JogPosition, "MSC1"}};
    for (const auto& [panel, name] : cases) {
        click(dialog, "cmd_common");
        if (panel == Win::JogPosition)
            click(shell.main(), "cmd_JP");
        ASSERT_TRUE(port(name).PortOpen()) << name;
        port(name).lose();
        pumpEvents();
        click(shell.window(panel), "cmd_comm");
        EXPECT_TRUE(dialog.isVisible()) << name;
        EXPECT_TRUE(idleState(dialog)) << name;
    }
}

// The port last connected is offered at the next start while it is there,
// with the speed it was connected at.
TEST_F(StartDialogTest, theLastPortConnectedIsOfferedFirstWhileItIsThere) {
    Pty line;
    const ComMapping com10(10, line.slavePath());
    StartDialog& dialog = openDialog();
    combo(dialog, 0)->setEditText(line.slavePath());
    combo(dialog, 1)->setCurrentIndex(8);
    click(dialog, "cmd_common");
    const std::pair<QString, QString> kept[] = {
        {line.slavePath(), line.slavePath()}, // as the last connect left it
        {"COM10", "COM10"},
        {"/dev/stepdrive-none", "COM4"},
        {"COM11", "COM4"}, // pointing nowhere
        // A device server's address is offered untried.
        {"rfc2217://press-3.invalid:4001", "rfc2217://press-3.invalid:4001"},
    };
    for (const auto& [last, offered] : kept) {
        // Under the names the settings file has always had.
        if (last != line.slavePath())
            QSettings("stepdrive", "stepdrive").setValue("port", last);
        RecordingPause nextPause;
        RecordingMessenger nextMessages;
        Shell next([](const QString& name,
                      PauseGate* gate) { return std::make_unique<FakeCommControl>(name, gate); },
                   nextPause, nextMessages);
        EXPECT_EQ(combo(next.startDialog(), 0)->currentText(), offered) << last.toStdString();
        EXPECT_EQ(combo(next.startDialog(), 1)->currentText(), "9600") << last.toStdString();
    }
    // A speed the list does not have is not offered.
    QSettings("stepdrive", "stepdrive").setValue("baud", "12345");
    RecordingPause nextPause;
    RecordingMessenger nextMessages;
    Shell next([](const QString& name,
                  PauseGate* gate) { return std::make_unique<FakeCommControl>(name, gate); },
               nextPause, nextMessages);
    EXPECT_EQ(combo(next.startDialog(), 1)->currentText(), "19200");
}

// The probe runs on a real port object, over pseudo-terminals mapped to COM2
// and COM10; every other COM number points nowhere.
TEST(StartDialogProbe, listsExactlyThePortsThatOpen) {
    Pty com2, com10;
    std::vector<std::unique_ptr<ComMapping>> mappings;
    for (int n = 1; n <= 10; ++n)
        mappings.push_back(std::make_unique<ComMapping>(n, "/dev/stepdrive-none"));
    mappings[1]->pointAt(com2.slavePath());
    mappings[9]->pointAt(com10.slavePath());
    // A device server's address is listed without connecting to it.
    mappings[4]->pointAt("tcp://127.0.0.1:1");

    RecordingPause pause;
    RecordingMessenger messages;
    Shell shell(
        [](const QString& name, PauseGate* gate) -> std::unique_ptr<CommControl> {
            if (name == "MSC")
                return std::make_unique<CommControl>(name, gate);
            return std::make_unique<FakeCommControl>(name, gate);
        },
        pause, messages);
    StartDialog& dialog = shell.startDialog();
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("PORT"));
    ASSERT_NE(list, nullptr);
    // The system's own serial devices follow; a pseudo-terminal is none.
    ASSERT_EQ(list->count(), 3 + int(systemPorts().size()));
    EXPECT_EQ(list->item(0)->text(), "COM2");
    EXPECT_EQ(list->item(1)->text(), "COM5");
    EXPECT_EQ(list->item(1)->toolTip(), "tcp://127.0.0.1:1");
    EXPECT_EQ(list->item(2)->text(), "COM10");
    EXPECT_EQ(list->item(2)->toolTip(), com10.slavePath());
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_FALSE(shell.MSC().PortOpen());

    // A click on an entry puts its port in the port box; connect opens it.
    QListWidgetItem* com10Entry = list->item(2);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(com10Entry).center());
    EXPECT_EQ(dialog.findChild<QComboBox*>(QStringLiteral("Combo_0"))->currentText(), "COM10");
    click(dialog, "cmd_common");
    EXPECT_TRUE(shell.MSC().PortOpen());
    EXPECT_EQ(shell.MSC().devicePath(), com10.slavePath());
    shell.MSC().setPortOpen(false);
}

// Each system device is listed once: under the COM number that maps to it,
// with its description, or by its path.
TEST(StartDialogPortList, comNumbersThenTheSystemsOtherDevices) {
    const ComMapping com3(3, "/dev/ttyUSB0");
    const ComMapping com5(5, "/dev/pts/9");
    const std::vector<SystemPort> system = {
        {"/dev/ttyUSB0", "FTDI", "FT232R USB UART", "A50285BI", {}},
        {"/dev/ttyACM0", "", "Arduino Uno", "8573", {}},
    };
    const QStringList expected = {
        "COM3 | /dev/ttyUSB0  FTDI FT232R USB UART (A50285BI) | COM3",
        "COM5 | /dev/pts/9 | COM5",
        "/dev/ttyACM0  Arduino Uno (8573) | /dev/ttyACM0  Arduino Uno (8573) | /dev/ttyACM0",
    };
    QStringList shown;
    for (const PortEntry& e : portEntries({3, 5}, system))
        shown << QStringList{e.text, e.toolTip, e.port}.join(" | ");
    EXPECT_EQ(shown, expected);
}

// An adapter picked from the list is offered at the next start under the
// name it has then, and its entry, named by its identity, is selected.
TEST_F(StartDialogTest, theAdapterConnectedLastIsOfferedUnderItsCurrentName) {
    QTemporaryDir byId;
    Pty before, after;
    const ScopedEnv folder("STEPDRIVE_SERIAL_BY_ID", byId.path());
    const ScopedEnv devices("STEPDRIVE_SERIAL_DEVICES",
                            before.slavePath() + QLatin1Char(':') + after.slavePath());
    const QString stable = byId.filePath("usb-Stepdrive_Adapter_SD0001-if00-port0");
    ASSERT_TRUE(QFile::link(before.slavePath(), stable));
    StartDialog& dialog = openDialog();
    combo(dialog, 0)->setEditText(before.slavePath());
    click(dialog, "cmd_common");
    ASSERT_TRUE(port("MSC").PortOpen());

    // Plugged back under the other name.
    QFile::remove(stable);
    ASSERT_TRUE(QFile::link(after.slavePath(), stable));
    RecordingPause nextPause;
    RecordingMessenger nextMessages;
    Shell next([](const QString& name,
                  PauseGate* gate) { return std::make_unique<FakeCommControl>(name, gate); },
               nextPause, nextMessages);
    EXPECT_EQ(combo(next.startDialog(), 0)->currentText(), after.slavePath());
    auto* list = next.startDialog().findChild<QListWidget*>(QStringLiteral("PORT"));
    ASSERT_NE(list->currentItem(), nullptr);
    EXPECT_EQ(list->currentItem()->text(),
              after.slavePath() + "  usb-Stepdrive_Adapter_SD0001-if00-port0");
}

// After a loss the same adapter is looked for under any name: once it is
// back the line reopens on the panel that held it, sending nothing; when it
// can't be opened, why is said once and it is looked for again.
TEST_F(StartDialogTest, aLostAdapterIsReopenedUnderItsNewNameWhenItComesBack) {
    QTemporaryDir byId;
    const ScopedEnv folder("STEPDRIVE_SERIAL_BY_ID", byId.path());
    const QString stable = byId.filePath("usb-Stepdrive_Adapter_SD0002-if00-port0");
    const QString before = byId.filePath("ttyUSB0"), after = byId.filePath("ttyUSB1");
    for (const QString& device : {before, after})
        QFile(device).open(QIODevice::WriteOnly);
    ASSERT_TRUE(QFile::link(before, stable));
    StartDialog& dialog = openDialog();
    combo(dialog, 0)->setEditText(stable);
    click(dialog, "cmd_common");
    click(shell.main(), "cmd_JP");
    ASSERT_TRUE(port("MSC1").PortOpen());

    messages.shown.clear();
    port("MSC1").lose();
    QFile::remove(stable);
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.shown.size() == 1; }, 2000));
    EXPECT_TRUE(idleState(dialog));
    port("MSC1").refusedPath = after;
    ASSERT_TRUE(QFile::link(after, stable));
    ASSERT_TRUE(QTest::qWaitFor([&] { return messages.shown.size() == 2; }, 3000));
    EXPECT_TRUE(messages.shown[1].contains("refused")) << messages.shown[1].toStdString();
    port("MSC1").refusedPath.clear();
    ASSERT_TRUE(QTest::qWaitFor([&] { return port("MSC1").PortOpen(); }, 3000));
    pumpEvents();
    EXPECT_EQ(messages.shown.size(), 3) << messages.shown.join('\n').toStdString();
    EXPECT_TRUE(messages.shown.value(2).contains("다시")) << messages.shown.value(2).toStdString();
    EXPECT_EQ(port("MSC1").opens.last(), after + " 19200,N,8,1");
    EXPECT_TRUE(sentAnywhere().isEmpty());
    EXPECT_TRUE(connectedState(dialog));
    EXPECT_FALSE(port("MSC").PortOpen());
}
