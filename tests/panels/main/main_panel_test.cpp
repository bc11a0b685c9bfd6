#include "app/shell.h"
#include "panels/main/main_panel.h"
#include "tests/support/panel_fixture.h"
#include "ui/colours.h"
#include "ui/lamp.h"

#include <QLineEdit>
#include <QMenuBar>
#include <QTest>
#include <gtest/gtest.h>

using namespace stepdrive;
using namespace stepdrive::test;

TEST_F(PanelFixture, mainPanelAtStartUp) {
    MainPanel& main = shell.main();
    shell.start();
    pumpEvents();
    EXPECT_EQ(main.windowTitle(), "MAIN");
    EXPECT_TRUE(main.isVisible());
    // The form, and the menu bar over it.
    EXPECT_EQ(main.size(), QSize(590, 622 + main.findChild<QMenuBar*>()->height()));
    EXPECT_TRUE(sentAnywhere().isEmpty());
    EXPECT_FALSE(port("MSC").PortOpen());

    const auto lamps = main.findChildren<Lamp*>();
    EXPECT_EQ(lamps.size(), 10);
    for (const Lamp* lamp : lamps)
        EXPECT_EQ(lamp->fill(), QColor(255, 255, 255)) << lamp->objectName().toStdString();

    const std::pair<const char*, const char*> initial[] = {
        {"Text_WDATA2", "20"}, {"Text_WDATA3", "4"},   {"Text_VMAX", "800"}, {"Text_ACCEL", "10"},
        {"Text_HSPD", "500"},  {"Text_HOFF", "12800"}, {"Text_REL", "2"},    {"Text_RPOS", "0"},
        {"Text_PULSE", "0"},   {"Txt_Jog", "300"},     {"txt_tx", ""},       {"rx_txt", ""}};
    for (const auto& [name, text] : initial)
        EXPECT_EQ(box(main, name)->text(), QString::fromUtf8(text)) << name;
    EXPECT_EQ(backColour(button(main, "cmd_Data")), QColor(255, 255, 0));
    EXPECT_EQ(button(main, "CMD_OUT1")->text(), "출력1 ON");
}

TEST_F(PanelFixture, mainPanelEntryBoxesKeepTheirLength) {
    MainPanel& main = shell.main();
    shell.start();
    QLineEdit* run = box(main, "Text_WDATA2");
    run->clear();
    QTest::keyClicks(run, "123");
    EXPECT_EQ(run->text(), "12");
    QLineEdit* pulse = box(main, "Text_PULSE");
    pulse->clear();
    QTest::keyClicks(pulse, "-12345678");
    EXPECT_EQ(pulse->text(), "-123456");
}
