// A USB adapter pulled and plugged back under another device name: the
// program finds the same adapter by its stable name and reopens the line by
// itself, sending nothing. The stable names live in a folder of the test's
// own (STEPDRIVE_SERIAL_BY_ID), linked to simulators' pseudo-terminals.

#include "app/shell.h"
#include "app/start_dialog.h"
#include "link/comm_control.h"
#include "panels/main/main_panel.h"
#include "tests/support/fakes.h"
#include "tests/support/simulator.h"
#include "tests/support/widgets.h"
#include "ui/lamp.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace stepdrive::test {
namespace {

const QString kStableName = QStringLiteral("usb-Stepdrive_Sim_Adapter_SD0001-if00-port0");

TEST(E2eReplug, theSameAdapterUnderANewNameReopensTheLineSendingNothing) {
    QTemporaryDir byId;
    ASSERT_TRUE(byId.isValid());
    const QString stable = QDir(byId.path()).filePath(kStableName);
    const ScopedEnv folder("STEPDRIVE_SERIAL_BY_ID", byId.path());

    // Typed as its stable name, and picked from the list by its device.
    for (const bool typed : {true, false}) {
        const auto what = typed ? "typed" : "picked";
        auto first = std::make_unique<Simulator>();
        ASSERT_FALSE(first->devicePath().isEmpty());
        ASSERT_TRUE(QFile::link(first->devicePath(), stable));
        const ScopedEnv listed("STEPDRIVE_SERIAL_DEVICES", first->devicePath());
        RecordingMessenger messages;
        Shell shell(messages);
        shell.setEndProgram([] {});
        shell.start();
        click(shell.main(), "cmd_comm");
        StartDialog& dialog = shell.startDialog();
        auto* port = dialog.findChild<QComboBox*>(QStringLiteral("Combo_0"));
        if (typed) {
            port->setEditText(stable);
        } else {
            auto* list = dialog.findChild<QListWidget*>(QStringLiteral("PORT"));
            const auto found = list->findItems(first->devicePath(), Qt::MatchStartsWith);
            ASSERT_EQ(found.size(), 1) << what;
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                              list->visualItemRect(found[0]).center());
        }
        click(dialog, "cmd_common");
        ASSERT_TRUE(shell.MSC().PortOpen()) << what;
        box(shell.main(), "Txt_Jog")->setText("321"); // the panel as it was

        // Another adapter's device, so the one plugged back gets a new name.
        Simulator second(
            {QStringLiteral("--verbose"), QStringLiteral("--inputs"), QStringLiteral("5")});
        ASSERT_NE(second.devicePath(), first->devicePath());

        // Pulled: the line is lost and said; the stable name goes with it.
        first->kill();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.isEmpty(); }, kWaitMs)) << what;
        EXPECT_FALSE(shell.MSC().PortOpen()) << what;
        QFile::remove(stable);
        QTest::qWait(300);

        // Plugged back under that name, with inputs 1 and 3 made.
        messages.shown.clear();
        ASSERT_TRUE(QFile::link(second.devicePath(), stable));
        ASSERT_TRUE(QTest::qWaitFor([&] { return shell.MSC().PortOpen(); }, 2500)) << what;
        ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.isEmpty(); }, kWaitMs)) << what;
        EXPECT_EQ(messages.shown.size(), 1) << what;
        EXPECT_TRUE(messages.shown.value(0).contains(QStringLiteral("다시"))) << what;
        EXPECT_TRUE(shell.main().isVisible()) << what;
        EXPECT_EQ(box(shell.main(), "Txt_Jog")->text(), "321") << what;
        QTest::qWait(200);
        EXPECT_TRUE(second.received().isEmpty()) << what; // nothing sent on reopening
        EXPECT_FALSE(button(dialog, "cmd_common")->isEnabled()) << what;

        // The next 입력 reads the new driver's inputs.
        click(shell.main(), "CMD_IN");
        auto* led1 = shell.main().findChild<Lamp*>(QStringLiteral("led1"));
        auto* led3 = shell.main().findChild<Lamp*>(QStringLiteral("led3"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return led1->isOn() && led3->isOn(); }, kWaitMs)) << what;
        EXPECT_EQ(second.received().value(0).left(8), "AA 00 0C") << what;
        messages.shown.clear();
        shell.exitProgram();
        QFile::remove(stable);
    }
}

} // namespace
} // namespace stepdrive::test
