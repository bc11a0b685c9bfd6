#include "panels/belt/belt_panel.h"
#include "panels/jog_position/jog_position_panel.h"
#include "panels/main/main_panel.h"
#include "tests/support/panel_fixture.h"

#include <gtest/gtest.h>

using namespace stepdrive;
using namespace stepdrive::test;

// Every working panel shows its own link's echoes in its own read-only boxes.
TEST_F(PanelFixture, eachPanelEchoesItsOwnLinkInReadOnlyBoxes) {
    struct Case {
        DriverPanel& panel;
        const char* port;
        const char* tx;
        const char* rx;
    };
    const Case cases[] = {{shell.main(), "MSC", "txt_tx", "rx_txt"},
                          {shell.jogPosition(), "MSC1", "txt_tx", "rx2_txt"},
                          {shell.belt(), "MSC2", "txt_tx2", "rx2_txt"}};
    for (const Case& c : cases) {
        FakeCommControl& p = openPort(c.panel, c.port);
        c.panel.link().send({3});
        const Bytes reply = replyFrame(c.panel.link().format(), 3, {});
        p.push(QByteArray(reinterpret_cast<const char*>(reply.data()), int(reply.size())));
        pumpEvents();
        EXPECT_EQ(box(c.panel, c.tx)->text(), c.panel.link().txEcho()) << c.port;
        EXPECT_FALSE(box(c.panel, c.tx)->text().isEmpty()) << c.port;
        EXPECT_TRUE(box(c.panel, c.rx)->text().startsWith("BB  00  03  64  ")) << c.port;
        EXPECT_TRUE(box(c.panel, c.tx)->isReadOnly() && box(c.panel, c.rx)->isReadOnly());
    }
}
