#include "panels/belt/belt_panel.h"
#include "panels/jog_position/jog_position_panel.h"
#include "tests/support/driver_panel_fixture.h"

#include <QAbstractButton>
#include <QMenuBar>
#include <gtest/gtest.h>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

const char* const kStop = "AA 00 03 00 00 00 00 00 EE 03 00 00";

// The position table and the belt panel stop the motor as the main panel
// does: Escape wherever the focus is, and the button in the menu bar; a read
// under way is cut short and said.
template <typename Panel> struct Stop : DriverPanelFixture<Panel> {
    void stopsAndCutsItsRead(const char* port, const char* entry, const char* readButton,
                             const char* cutWords) {
        Panel& p = *this->panel;
        p.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&p));
        auto* stop = p.template findChild<QAbstractButton*>(QStringLiteral("mtr_STOP"));
        ASSERT_NE(stop, nullptr);
        EXPECT_TRUE(qobject_cast<QMenuBar*>(stop->parentWidget())) << port;

        this->boxOf(entry)->setFocus();
        QTest::keyClick(this->boxOf(entry), Qt::Key_Escape);
        EXPECT_EQ(hexOf(this->msc->lastSent()), kStop) << port;
        EXPECT_EQ(this->press("mtr_STOP"), kStop) << port;

        // The read asks for its first value; the stop ends it there.
        this->press(readButton);
        ASSERT_TRUE(p.reading()) << port;
        this->messages.shown.clear();
        EXPECT_EQ(this->press("mtr_STOP"), kStop) << port;
        EXPECT_FALSE(p.reading()) << port;
        EXPECT_EQ(this->messages.shown, QStringList{QString::fromUtf8(cutWords)}) << port;
        EXPECT_EQ(this->msc->sent.size(), 1u) << port;
    }
};
using TableStop = Stop<JogPositionPanel>;
using BeltStop = Stop<BeltPanel>;

} // namespace

TEST_F(TableStop, escapeAndTheMenuBarStopCutDataReadShort) {
    open(shell.jogPosition(), "MSC1");
    stopsAndCutsItsRead(
        "MSC1", "Text_pos_3", "CMD_READ",
        "모터 정지: DATA READ를 멈췄습니다. 읽지 못한 행은 입력한 값 그대로입니다.");
}

TEST_F(BeltStop, escapeAndTheMenuBarStopCutReadAllShort) {
    open(shell.belt(), "MSC2");
    stopsAndCutsItsRead("MSC2", "Text_wacc1", "cmd_RData",
                        "모터 정지: READ ALL을 멈췄습니다. 채우지 못한 칸은 비웠습니다.");
}
