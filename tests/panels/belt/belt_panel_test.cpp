// The belt panel: WRITE ALL with the IN2-use flag, READ ALL and its replies.

#include "panels/belt/belt_panel.h"
#include "tests/support/driver_panel_fixture.h"
#include "ui/colours.h"

#include <QCheckBox>
#include <gtest/gtest.h>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

const char* const kBeltEntries[] = {"Text_wacc1", "Text_wvmax2", "Text_wacc3", "Text_wvmax4"};
const char* const kBeltReadBacks[] = {"Text_racc1", "Text_rvmax2", "Text_racc3", "Text_rvmax4"};

struct Belt : DriverPanelFixture<BeltPanel> {
    void SetUp() override {
        shell.start();
        open(shell.belt(), "MSC2");
    }
    // READ ALL, answered up to step `step`.
    void readUpTo(int step) {
        press("cmd_RData");
        for (int s = 1; s < step; ++s)
            reply("BB 00 0E 64 00 00 00 01 EE 00");
        ASSERT_EQ(panel->read_step(), step);
    }
};

} // namespace

TEST_F(Belt, writeAllOnAnUntouchedPanelSendsFiveFramesPaced) {
    for (const char* name : kBeltEntries)
        setBackColour(boxOf(name), colour::readBack);
    std::vector<QColor> firstAtSend;
    msc->answer = [&](const QByteArray&) {
        firstAtSend.push_back(shown("Text_wacc1"));
        return QByteArray();
    };
    click(*panel, "cmd_Data");
    ASSERT_EQ(msc->sent.size(), 5u);
    EXPECT_EQ(sentHex()[1], "AA 00 0D 02 00 00 03 20 EE 32 00 00");
    EXPECT_EQ(sentHex()[4], "AA 00 0D 07 00 00 00 00 EE 14 00 00");
    expectPaced(100, 150);
    EXPECT_EQ(firstAtSend, std::vector<QColor>({kWhite, kSent, kSent, kSent, kSent}));
    for (const char* name : kBeltEntries)
        EXPECT_EQ(shown(name), kSent) << name;
    EXPECT_TRUE(messages.shown.isEmpty());

    panel->findChild<QCheckBox*>("Check_in2use")->setChecked(true);
    press("cmd_Data");
    EXPECT_EQ(sentHex().value(4), "AA 00 0D 07 00 00 01 00 EE 15 00 00");
}

TEST_F(Belt, aNegativeValueIsReportedAndNothingIsSent) {
    const std::pair<const char*, const char*> cases[] = {
        {"Text_wacc1", "에러 가감속 값은 2047보다 작아야 한다."},
        {"Text_wvmax2", "에러 구동속도 값은 2047보다 작아야 한다."},
        {"Text_wacc3", "에러 가감속 값은 2047보다 작아야 한다."},
        {"Text_wvmax4", "에러 구동속도 값은 2047보다 작아야 한다."}};
    for (const auto& [name, message] : cases) {
        const QString before = textOf(name);
        type(name, "-1");
        messages.shown.clear();
        EXPECT_EQ(press("cmd_Data"), "") << name;
        EXPECT_EQ(messages.shown, QStringList(QString::fromUtf8(message))) << name;
        EXPECT_NE(shown(name), kSent) << name;
        boxOf(name)->setText(before);
    }
}

TEST_F(Belt, readAllWhitensTheBoxesAndSendsExactlyFourRequests) {
    for (const char* name : kBeltReadBacks)
        setBackColour(boxOf(name), colour::readBack);
    EXPECT_EQ(press("cmd_RData"), "AA 00 0E 01 00 00 00 00 EE 0F 00 00");
    EXPECT_EQ(panel->read_step(), 1);
    for (const char* name : kBeltReadBacks) {
        EXPECT_EQ(shown(name), kWhite) << name;
        EXPECT_EQ(textOf(name), "0") << name;
        EXPECT_TRUE(boxOf(name)->isReadOnly()) << name;
    }
    EXPECT_TRUE(pause.durations.empty());

    msc->answer = [](const QByteArray& block) {
        return shortReply(14, 100 * static_cast<std::uint8_t>(block[3]));
    };
    msc->push(shortReply(14, 100));
    pumpEvents(20);
    EXPECT_EQ(sentHex().size(), 4);
    EXPECT_EQ(sentHex().back(), "AA 00 0E 04 00 00 00 00 EE 12 00 00");
    expectPaced(0, 100);
    const char* const values[] = {"100", "200", "300", "400"};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(textOf(kBeltReadBacks[i]), values[i]) << kBeltReadBacks[i];
        EXPECT_EQ(shown(kBeltReadBacks[i]), kReadBack) << kBeltReadBacks[i];
    }
    EXPECT_EQ(panel->read_step(), 0);
}

TEST_F(Belt, readRepliesFillTheAwaitedBoxWhole) {
    // The worked example.
    readUpTo(2);
    msc->sent.clear();
    reply("BB 00 0E 64 00 00 03 20 EE 7A");
    EXPECT_EQ(textOf("Text_rvmax2"), "800");
    EXPECT_EQ(shown("Text_rvmax2"), kReadBack);
    EXPECT_EQ(sentHex(), QStringList("AA 00 0E 03 00 00 00 00 EE 11 00 00"));
    EXPECT_EQ(panel->read_step(), 3);
    EXPECT_EQ(box(*panel, "rx2_txt")->text(), "");
    EXPECT_TRUE(messages.shown.isEmpty());

    reply("BB 00 0E 64 00 00 00 05 EE 00");

    // A wrong status byte is reported, and the value still shown; a value
    // longer than the box's four typed characters shows whole.
    msc->sent.clear();
    reply("BB 00 0E 65 00 01 86 A0 EE 00");
    EXPECT_EQ(messages.shown, QStringList({"통신에러"}));
    EXPECT_EQ(textOf("Text_rvmax4"), "100000");
    EXPECT_TRUE(msc->sent.empty());
    EXPECT_EQ(panel->read_step(), 0);
}

TEST_F(Belt, repliesThatAnswerNoAwaitedReadChangeNoBox) {
    // The replies to WRITE ALL come in together after it.
    msc->answer = [](const QByteArray& block) {
        return shortReply(static_cast<std::uint8_t>(block[2]), 7);
    };
    press("cmd_Data");
    pumpEvents(10);
    msc->answer = nullptr;
    EXPECT_EQ(box(*panel, "rx2_txt")->text().size(), 4 * 50);
    // Code 14 with nothing awaited.
    reply("BB 00 0E 64 00 00 00 07 EE 00");
    for (const char* name : kBeltReadBacks)
        EXPECT_EQ(textOf(name), "0") << name;
    EXPECT_EQ(panel->read_step(), 0);
    EXPECT_EQ(msc->sent.size(), 5u);
    EXPECT_TRUE(messages.shown.isEmpty());

    // A read reply cut short leaves its box alone and the chain waiting.
    readUpTo(1);
    msc->sent.clear();
    msc->setRThreshold(6);
    reply("BB 00 0E 64 00 00");
    EXPECT_EQ(textOf("Text_racc1"), "0");
    EXPECT_EQ(panel->read_step(), 1);
    EXPECT_TRUE(msc->sent.empty());
}
