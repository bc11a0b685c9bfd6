#include "app/start_dialog.h"
#include "link/serial_comm_control.h"
#include "panels/main/main_panel.h"
#include "tests/panels/panel_fixture.h"
#include "tests/support/pty.h"

#include <QComboBox>
#include <QListWidget>
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
            EXPECT_EQ(p.InputMode(), 1) << name;
            EXPECT_EQ(p.InputLen(), 1) << name;
        }
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
    EXPECT_EQ(combo(dialog, 0)->currentText(), "COM4");
    EXPECT_EQ(combo(dialog, 1)->count(), 13);
    EXPECT_EQ(combo(dialog, 1)->currentText(), "19200");
    EXPECT_FALSE(button(dialog, "cmd_commoff")->isEnabled());
    // The probe leaves every port closed and sends nothing.
    EXPECT_FALSE(port("MSC").PortOpen());
    EXPECT_TRUE(sentAnywhere().isEmpty());
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(StartDialogTest, connectWithDefaultsConfiguresAllThreeAndOpensMscOnly) {
    StartDialog& dialog = openDialog();
    click(dialog, "cmd_common");
    expectConfigured("19200,N,8,1", 4);
    EXPECT_TRUE(port("MSC").PortOpen());
    EXPECT_FALSE(port("MSC1").PortOpen());
    EXPECT_FALSE(port("MSC2").PortOpen());
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_TRUE(shell.main().isVisible());
    EXPECT_TRUE(connectedState(dialog));
}

TEST_F(StartDialogTest, chosenPortAndBaudGoToEveryPortObject) {
    StartDialog& dialog = openDialog();
    combo(dialog, 0)->setCurrentIndex(0);
    combo(dialog, 1)->setCurrentIndex(1);
    click(dialog, "cmd_common");
    expectConfigured("128000,N,8,1", 1);
    EXPECT_EQ(port("MSC").opens.last(), "/dev/ttyS0 128000,N,8,1");
}

TEST_F(StartDialogTest, unusableChoicesAreReportedOnceAndTheDialogStaysIdle) {
    StartDialog& dialog = openDialog();
    QTest::keyClicks(combo(dialog, 0), "X");
    QTest::keyClicks(combo(dialog, 1), "fast");
    click(dialog, "cmd_common");
    expectConfigured(",N,8,1", 0);
    EXPECT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown.value(0).contains("COM0"));
    EXPECT_FALSE(port("MSC").PortOpen());
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(shell.main().isVisible());
    EXPECT_TRUE(combo(dialog, 0)->isEnabled());
    EXPECT_TRUE(button(dialog, "cmd_common")->isEnabled());
    EXPECT_FALSE(button(dialog, "cmd_commoff")->isEnabled());

    // Baud position 0 is listed but no line can run at it.
    messages.shown.clear();
    combo(dialog, 0)->setCurrentIndex(3);
    combo(dialog, 1)->setCurrentIndex(0);
    click(dialog, "cmd_common");
    EXPECT_EQ(port("MSC").Settings(), "low_speed6000,N,8,1");
    EXPECT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(dialog.isVisible());
}

TEST_F(StartDialogTest, disconnectKeepsTheDialogAndReenablesTheSelections) {
    StartDialog& dialog = openDialog();
    combo(dialog, 1)->setCurrentIndex(8);
    click(dialog, "cmd_common");
    click(shell.main(), "cmd_comm");
    EXPECT_TRUE(connectedState(dialog));
    EXPECT_TRUE(port("MSC").PortOpen()); // the link stays open behind the dialog

    click(dialog, "cmd_commoff");
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(port("MSC").PortOpen());
    EXPECT_TRUE(combo(dialog, 0)->isEnabled());
    EXPECT_EQ(combo(dialog, 0)->currentText(), "COM4");
    EXPECT_EQ(combo(dialog, 1)->currentText(), "9600");
    EXPECT_TRUE(button(dialog, "cmd_common")->isEnabled());
    EXPECT_FALSE(button(dialog, "cmd_commoff")->isEnabled());
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

    RecordingPause pause;
    RecordingMessenger messages;
    Shell shell(
        [](const QString& name, PauseGate* gate) -> std::unique_ptr<CommControl> {
            if (name == "MSC")
                return std::make_unique<SerialCommControl>(name, gate);
            return std::make_unique<FakeCommControl>(name, gate);
        },
        pause, messages);
    StartDialog& dialog = shell.startDialog();
    auto* list = dialog.findChild<QListWidget*>(QStringLiteral("PORT"));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->item(0)->text(), "COM2");
    EXPECT_EQ(list->item(1)->text(), "COM10");
    EXPECT_EQ(list->item(1)->toolTip(), com10.slavePath());
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_FALSE(shell.MSC().PortOpen());
}

// The shipped port objects and pause: connect opens the pseudo-terminal mapped
// to COM4 and the home-search frame arrives on the far side whole.
TEST(StartDialogOnALine, connectThenHomeSearchPutsTwelveBytesOnTheLine) {
    Pty line;
    const ComMapping com4(4, line.slavePath());
    RecordingMessenger messages;
    Shell shell(messages);
    shell.setEndProgram([] {});
    shell.start();
    PanelFixture::click(shell.main(), "cmd_comm");
    PanelFixture::click(shell.startDialog(), "cmd_common");
    ASSERT_TRUE(shell.MSC().PortOpen());
    PanelFixture::click(shell.main(), "cmd_orgin");
    EXPECT_EQ(hexOf(line.read(12)), "AA 00 07 01 00 00 00 00 EE 08 00 00");
    EXPECT_TRUE(messages.shown.isEmpty());
    shell.exitProgram();
    EXPECT_FALSE(shell.MSC().PortOpen());
}
