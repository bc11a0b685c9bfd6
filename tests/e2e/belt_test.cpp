// The belt panel's parameters written to the driver and read back.

#include "tests/e2e/e2e_fixture.h"

#include "panels/belt/belt_panel.h"
#include "panels/main/main_panel.h"
#include "ui/colours.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QTest>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {
using E2eBelt = E2eFixture;
}

TEST_F(E2eBelt, writtenValuesAreReadBackIntoTheFourBoxes) {
    ASSERT_TRUE(useSimulator(std::make_unique<Simulator>(QStringList{"--verbose"})));
    ASSERT_NO_FATAL_FAILURE(connectWithDefaults());
    click(shell().main(), "Command1");
    BeltPanel& belt = shell().belt();
    ASSERT_TRUE(belt.isVisible());

    const std::pair<const char*, const char*> values[] = {{"Text_wacc1", "Text_racc1"},
                                                          {"Text_wvmax2", "Text_rvmax2"},
                                                          {"Text_wacc3", "Text_racc3"},
                                                          {"Text_wvmax4", "Text_rvmax4"}};
    const char* const texts[] = {"25", "1500", "9999", "0"};
    for (int i = 0; i < 4; ++i)
        type(belt, values[i].first, QString::fromLatin1(texts[i]));
    belt.findChild<QCheckBox*>(QStringLiteral("Check_in2use"))->setChecked(true);
    click(belt, "cmd_Data");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return sim->receivedAt(QStringLiteral("AA 00 0D 07 00 00 01 00")).size() == 1; },
        kWaitMs));

    click(belt, "cmd_RData");
    const auto* last = box(belt, "Text_rvmax4");
    EXPECT_TRUE(QTest::qWaitFor([&] { return backColour(last) == colour::readBack; }, kWaitMs));
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(box(belt, values[i].second)->text(), texts[i]) << values[i].second;
        EXPECT_EQ(backColour(box(belt, values[i].second)), colour::readBack) << values[i].second;
    }
    EXPECT_EQ(belt.read_step(), 0);
    EXPECT_EQ(sim->receivedAt(QStringLiteral("AA 00 0E")).size(), 4u);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}
