// Connecting through the dialog and the motion buttons of the main panel.

#include "tests/e2e/e2e_fixture.h"

#include "app/start_dialog.h"
#include "core/frame.h"
#include "link/comm_control.h"
#include "panels/main/main_panel.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <optional>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

class E2eMain : public E2eFixture {
protected:
    MainPanel& main() { return shell().main(); }

    template <typename Predicate> bool waitForPosition(Predicate reached) {
        return QTest::qWaitFor(
            [&] {
                const auto p = driverPosition();
                return p && reached(*p);
            },
            kWaitMs);
    }
};

} // namespace

TEST_F(E2eMain, connectsThroughTheDialogWithItsDefaults) {
    EXPECT_TRUE(main().isVisible());
    EXPECT_FALSE(shell().MSC().PortOpen());

    click(main(), "cmd_comm");
    StartDialog& start = shell().startDialog();
    ASSERT_TRUE(start.isVisible());
    EXPECT_FALSE(main().isVisible());
    // The probe opened the simulator's line as COM4.
    auto* found = start.findChild<QListWidget*>(QStringLiteral("PORT"));
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->findItems(QStringLiteral("COM4"), Qt::MatchExactly).size(), 1);
    EXPECT_FALSE(shell().MSC().PortOpen());

    click(start, "cmd_common");
    EXPECT_TRUE(main().isVisible());
    EXPECT_FALSE(start.isVisible());
    EXPECT_TRUE(shell().MSC().PortOpen());
    EXPECT_EQ(shell().MSC().devicePath(), sim->devicePath());
    EXPECT_EQ(shell().MSC().Settings(), "19200,N,8,1");
    EXPECT_FALSE(shell().MSC1().PortOpen());
    EXPECT_FALSE(shell().MSC2().PortOpen());
    EXPECT_FALSE(button(start, "cmd_common")->isEnabled());
    EXPECT_TRUE(button(start, "cmd_commoff")->isEnabled());

    homeSearchIsAnswered();
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}

TEST_F(E2eMain, motionCommandsMoveTheDriverAndTheirRepliesAreEchoed) {
    ASSERT_NO_FATAL_FAILURE(connectWithDefaults());

    homeSearchIsAnswered();
    exchange("mtr_STOP", "AA  00  03  00  00  00  00  00  EE  03  ",
             "BB  00  03  64  00  00  00  00  EE  67  ");

    // Wherever the stopped home search left it: to 1000, then back by 1000.
    type(main(), "Text_PULSE", "1000");
    exchange("CMD_CUR", "AA  00  04  00  00  00  03  E8  EE  EF  ",
             "BB  00  04  64  00  00  03  E8  EE  53  ");
    EXPECT_TRUE(waitForPosition([](std::int32_t p) { return p == 1000; }));
    type(main(), "Text_PULSE", "-1000");
    exchange("CMD_CUR_R", "AA  00  04  01  FF  FF  FC  18  EE  17  ",
             "BB  00  04  64  FF  FF  FC  18  EE  7A  ");
    EXPECT_TRUE(waitForPosition([](std::int32_t p) { return p == 0; }));

    // Jog speed 300 (the default) to the left, then to the right, then stop.
    exchange("cmd_ROL", "AA  00  02  00  00  00  01  2C  EE  2F  ",
             "BB  00  02  64  00  00  01  2C  EE  93  ");
    EXPECT_TRUE(waitForPosition([](std::int32_t p) { return p < 0; }));
    exchange("cmd_ROR", "AA  00  01  00  00  00  01  2C  EE  2E  ",
             "BB  00  01  64  00  00  01  2C  EE  92  ");
    const auto turned = driverPosition();
    ASSERT_TRUE(turned);
    EXPECT_TRUE(waitForPosition([&](std::int32_t p) { return p > *turned; }));
    exchange("mtr_STOP", "AA  00  03  00  00  00  00  00  EE  03  ",
             "BB  00  03  64  00  00  00  00  EE  67  ");
    const auto stopped = driverPosition();
    ASSERT_TRUE(stopped);
    QTest::qWait(100);
    EXPECT_EQ(driverPosition(), stopped);

    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}
