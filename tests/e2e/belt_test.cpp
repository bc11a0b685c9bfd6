// The belt panel's parameters written to the driver and read back.

#include "tests/e2e/e2e_fixture.h"

#include "panels/belt/belt_panel.h"
#include "panels/main/main_panel.h"
#include "ui/colours.h"

#include <QLineEdit>
#include <QTest>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {
using E2eBelt = E2eFixture;
}

TEST_F(E2eBelt, writtenValuesAreReadBackIntoTheFourBoxes) {
    ASSERT_NO_FATAL_FAILURE(connectWithDefaults());
    click(shell().main(), "Command1");
    BeltPanel& belt = shell().belt();
    ASSERT_TRUE(belt.isVisible());

    const struct {
        const char* entry;
        const char* readBack;
        const char* text;
    } values[] = {{"Text_wacc1", "Text_racc1", "25"},
                  {"Text_wvmax2", "Text_rvmax2", "1500"},
                  {"Text_wacc3", "Text_racc3", "9999"},
                  {"Text_wvmax4", "Text_rvmax4", "0"}};
    for (const auto& v : values)
        type(belt, v.entry, QString::fromLatin1(v.text));
    click(belt, "cmd_Data");
    click(belt, "cmd_RData");
    const auto* last = box(belt, "Text_rvmax4");
    EXPECT_TRUE(QTest::qWaitFor([&] { return backColour(last) == kReadBack; }, kWaitMs));
    for (const auto& v : values)
        EXPECT_EQ(box(belt, v.readBack)->text(), v.text) << v.readBack;
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}
