// WRITE ALL, READ ALL and the replies of the main panel.

#include "panels/main/main_panel.h"
#include "tests/support/driver_panel_fixture.h"
#include "tests/support/simulator.h"
#include "ui/colours.h"

#include <gtest/gtest.h>
#include <map>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

// In the order WRITE ALL sends them.
const char* const kEntries[] = {"Text_WDATA2", "Text_WDATA3", "Text_VMAX", "Text_ACCEL",
                                "Text_HSPD",   "Text_HOFF",   "Text_REL"};
// In the order READ ALL fills them.
const char* const kReadBacks[] = {"Text_RDATA2", "Text_RDATA3", "Text_RVMAX", "Text_RACCEL",
                                  "Text_RHSPD",  "Text_RHOFF",  "Text_REPOS"};

struct MainParameters : DriverPanelFixture<MainPanel> {
    void SetUp() override {
        shell.start();
        open(shell.main(), "MSC");
    }
    // The driver answers every read request with the value given for its opt1.
    void answerReads(const std::map<std::uint8_t, std::int32_t>& values) {
        msc->answer = [values](const QByteArray& block) {
            const auto opt1 = static_cast<std::uint8_t>(block[3]);
            return shortReply(static_cast<std::uint8_t>(block[2]),
                              values.count(opt1) ? values.at(opt1) : 0);
        };
    }
};

} // namespace

TEST_F(MainParameters, writeAllSendsTheSevenParametersPacedAndMarksEachBoxOnceSent) {
    for (const char* name : kEntries)
        setBackColour(boxOf(name), colour::readBack);
    // What each box shows as its frame goes out.
    std::vector<std::vector<QColor>> coloursAtSend;
    msc->answer = [&](const QByteArray&) {
        std::vector<QColor> now;
        for (const char* name : kEntries)
            now.push_back(shown(name));
        coloursAtSend.push_back(now);
        return QByteArray();
    };

    type("Text_HOFF", "-999999");
    click(*panel, "cmd_Data");
    ASSERT_EQ(msc->sent.size(), 7u);
    EXPECT_EQ(sentHex()[0], "AA 00 05 01 00 00 00 14 EE 1A 00 00");
    EXPECT_EQ(sentHex()[5], "AA 00 05 09 FF F0 BD C1 EE 7B 00 00");
    expectPaced(100, 150);
    // All white before the first frame; each box light yellow once its own went out.
    ASSERT_EQ(coloursAtSend.size(), 7u);
    for (std::size_t frame = 0; frame < 7; ++frame)
        for (std::size_t b = 0; b < 7; ++b)
            EXPECT_EQ(coloursAtSend[frame][b], b < frame ? kSent : kWhite) << frame << " " << b;
    for (const char* name : kEntries)
        EXPECT_EQ(shown(name), kSent) << name;
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(panel->read_data(), 0);
}

// Each parameter's refusal, with its own message, and nothing of the
// sequence. (Where each range ends is the parameter rules' own test.)
TEST_F(MainParameters, writeAllRefusesValuesOutsideTheLabelsRangesAndSendsNothing) {
    struct Case {
        const char* box;
        const char* text;
        const char* message;
    };
    const Case refused[] = {
        {"Text_WDATA2", "32", "에러 동작전류 값은 32보다 작아야 한다."},
        {"Text_WDATA3", "-5", "에러 정지전류 값은 32보다 작아야 한다."},
        {"Text_VMAX", "2048", "에러 구동속도 값은 2047보다 작아야 한다."},
        {"Text_ACCEL", "2048", "에러 가감속 값은 2047보다 작아야 한다."},
        {"Text_HSPD", "2048", "에러 홈 이동 속도 값은 2047보다 작아야 한다."},
        {"Text_REL", "9", "에러 분해능 값은 8보다 작아야 한다."},
    };
    for (const Case& c : refused) {
        const QString before = textOf(c.box);
        type(c.box, c.text);
        for (const char* name : kEntries)
            setBackColour(boxOf(name), colour::readBack);
        msc->sent.clear();
        messages.shown.clear();
        pause.durations.clear();
        click(*panel, "cmd_Data");
        // One message, and nothing of the sequence: no frame, no pause, no colour.
        ASSERT_EQ(messages.shown.size(), 1) << c.text;
        EXPECT_TRUE(messages.shown[0].contains(QString::fromUtf8(c.message))) << c.text;
        EXPECT_TRUE(msc->sent.empty()) << c.text;
        EXPECT_TRUE(pause.durations.empty()) << c.text;
        for (const char* name : kEntries)
            EXPECT_EQ(shown(name), kReadBack) << c.text << " " << name;
        boxOf(c.box)->setText(before);
    }
}

TEST_F(MainParameters, readAllWhitensTheSevenBoxesAndFillsThemInChainOrder) {
    setBackColour(boxOf("Text_RPOS"), colour::readBack);
    setBackColour(boxOf("Text_RHOFF"), colour::readBack);
    EXPECT_EQ(press("cmd_RData"), "AA 00 06 01 00 00 00 00 EE 07 00 00");
    EXPECT_EQ(panel->read_data(), 1);
    // Only the program writes them.
    for (const char* name : kReadBacks)
        EXPECT_TRUE(shown(name) == kWhite && boxOf(name)->isReadOnly()) << name;
    EXPECT_TRUE(boxOf("Text_RPOS")->isReadOnly());
    EXPECT_FALSE(boxOf("Text_HOFF")->isReadOnly());
    EXPECT_EQ(shown("Text_RPOS"), kReadBack);
    EXPECT_TRUE(pause.durations.empty());

    // A driver that answers every request: one request per reply, each after
    // a 100 ms pause, then nothing more; each box holds its parameter's value.
    answerReads({{1, 20}, {2, 4}, {4, 800}, {5, 10}, {7, 500}, {9, INT32_MIN}, {6, 2}});
    msc->push(shortReply(6, 20));
    pumpEvents(20);
    EXPECT_EQ(sentHex().size(), 7);
    EXPECT_EQ(sentHex().back(), "AA 00 06 06 00 00 00 00 EE 0C 00 00");
    expectPaced(0, 100);
    const std::pair<const char*, const char*> values[] = {
        {"Text_RDATA2", "20"}, {"Text_RDATA3", "4"},  {"Text_RVMAX", "800"},
        {"Text_RACCEL", "10"}, {"Text_RHSPD", "500"}, {"Text_RHOFF", "-2147483648"}, // whole
        {"Text_REPOS", "2"}};
    for (const auto& [name, text] : values) {
        EXPECT_EQ(textOf(name), text) << name;
        EXPECT_EQ(shown(name), kReadBack) << name;
        EXPECT_TRUE(showsWhole(boxOf(name))) << name;
    }
    EXPECT_EQ(panel->read_data(), 0);
    EXPECT_EQ(textOf("Text_RPOS"), "0");
    EXPECT_TRUE(messages.shown.isEmpty());
}

// A read reply and the inputs with nothing awaited; the inputs, a write's
// echo and a move's echo while READ ALL waits at step 1.
TEST_F(MainParameters, aReplyNotAwaitedFillsNothingAndTheChainWaitsOn) {
    const std::pair<bool, const char*> cases[] = {{false, "BB 00 06 64 00 00 03 20 EE 77"},
                                                  {false, "BB 00 0C 64 00 00 03 81 EE 00"},
                                                  {true, "BB 00 0C 64 00 00 03 81 EE 00"},
                                                  {true, "BB 00 05 64 00 00 00 07 EE 00"},
                                                  {true, "BB 00 04 64 00 00 00 07 EE 00"}};
    for (const auto& [reading, other] : cases) {
        if (reading)
            press("cmd_RData");
        msc->sent.clear();
        pause.durations.clear();
        reply(other);
        EXPECT_TRUE(msc->sent.empty() && pause.durations.empty()) << other;
        EXPECT_EQ(panel->read_data(), reading ? 1 : 0) << other;
        for (const char* name : kReadBacks)
            EXPECT_EQ(textOf(name), "") << other << name;
        EXPECT_EQ(textOf("Text_RPOS"), "0");
        EXPECT_EQ(shown("Text_RDATA2"), kWhite) << other;
    }
}

TEST_F(MainParameters, aSecondReadAllRestartsAndAPositionReadEndsTheChain) {
    press("cmd_RData");
    reply("BB 00 06 64 00 00 00 14 EE 00");
    ASSERT_EQ(panel->read_data(), 2);
    EXPECT_EQ(press("cmd_RData"), "AA 00 06 01 00 00 00 00 EE 07 00 00");
    EXPECT_EQ(panel->read_data(), 1);
    EXPECT_EQ(shown("Text_RDATA2"), kWhite);
    EXPECT_EQ(textOf("Text_RDATA2"), "20"); // kept until the new value comes
    reply("BB 00 06 64 00 00 00 15 EE 00");
    EXPECT_EQ(textOf("Text_RDATA2"), "21");
    EXPECT_EQ(panel->read_data(), 2);

    // "위치값 확인" takes the next code-6 reply as the position: a value of
    // 80000000 hexadecimal and above is negative.
    EXPECT_EQ(press("Cmd_RPOS"), "AA 00 06 08 00 00 00 00 EE 0E 00 00");
    msc->sent.clear();
    pause.durations.clear();
    reply("BB 00 06 64 FF FF FC 18 EE 00");
    EXPECT_EQ(pause.durations, std::vector<int>{100});
    EXPECT_EQ(textOf("Text_RPOS"), "-1000");
    EXPECT_EQ(shown("Text_RPOS"), kReadBack);
    EXPECT_EQ(textOf("Text_RDATA3"), "");
    EXPECT_TRUE(msc->sent.empty());
    EXPECT_EQ(panel->read_data(), 0);
}

TEST_F(MainParameters, aFaultyReplyIsReportedOnceAndStillApplied) {
    press("cmd_RData");
    // A WRITE ALL meanwhile leaves the read-back where it is.
    click(*panel, "cmd_Data");
    EXPECT_EQ(panel->read_data(), 1);
    msc->sent.clear();
    reply("BB 00 06 64 00 00 00 14 EF 00");
    EXPECT_EQ(messages.shown, QStringList({"통신에러"})); // the trailer
    EXPECT_EQ(textOf("Text_RDATA2"), "20");
    EXPECT_EQ(sentHex(), QStringList("AA 00 06 02 00 00 00 00 EE 08 00 00"));
}

// A stop pressed while READ ALL waits goes out at once and ends the chain:
// the boxes it did not fill are emptied and the operator is told; the reply
// to the request in flight and the stop's own fill nothing, and the next
// request is answered into its own box.
TEST_F(MainParameters, aStopCutsReadAllShortAndTheNextRequestIsAnsweredRight) {
    press("cmd_RData");
    for (std::int32_t v : {20, 4, 800, 10}) {
        msc->push(shortReply(6, v));
        pumpEvents();
    }
    ASSERT_EQ(panel->read_data(), 7);
    box(*panel, "Text_RHSPD")->setText("77");
    EXPECT_EQ(press("mtr_STOP"), "AA 00 03 00 00 00 00 00 EE 03 00 00");
    EXPECT_EQ(panel->read_data(), 0);
    EXPECT_EQ(textOf("Text_RHSPD"), "");
    EXPECT_EQ(textOf("Text_RACCEL"), "10");
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].contains("READ ALL")) << messages.shown[0].toStdString();
    msc->sent.clear();
    reply("BB 00 06 64 00 00 01 F4 EE 00 BB 00 03 64 00 00 00 00 EE 03");
    EXPECT_EQ(textOf("Text_RHSPD"), "");
    EXPECT_TRUE(msc->sent.empty());
    EXPECT_EQ(press("Cmd_RPOS"), "AA 00 06 08 00 00 00 00 EE 0E 00 00");
    reply("BB 00 06 64 00 00 00 2A EE 00");
    EXPECT_EQ(textOf("Text_RPOS"), "42");
    EXPECT_EQ(messages.shown.size(), 1);
}

// The driver answers nothing: one message names the port and the speed, the
// chain stops with its boxes white, a late reply fills nothing, and the next
// READ ALL starts afresh. No message runs inside a pause: a WRITE ALL to a
// silent driver says so once, after its last pause.
TEST_F(MainParameters, aSilentDriverIsSaidOnceAndTheChainStops) {
    panel->link().setReplyTimeout(20);
    press("cmd_RData");
    ASSERT_TRUE(QTest::qWaitFor([&] { return !messages.shown.isEmpty(); }, kWaitMs));
    EXPECT_TRUE(messages.shown[0].startsWith(msc->portLabel())) << messages.shown[0].toStdString();
    EXPECT_TRUE(messages.shown[0].contains("9600"));
    EXPECT_EQ(panel->read_data(), 0);
    pumpEvents();
    EXPECT_FALSE(panel->link().awaiting());
    EXPECT_EQ(messages.shown.size(), 1);
    reply("BB 00 06 64 00 00 00 14 EE 00");
    for (const char* name : kReadBacks) {
        EXPECT_EQ(textOf(name), "") << name;
        EXPECT_EQ(shown(name), kWhite) << name;
    }

    answerReads({{1, 20}, {6, 2}});
    press("cmd_RData");
    ASSERT_TRUE(QTest::qWaitFor([&] { return textOf("Text_REPOS") == "2"; }, kWaitMs));
    pumpEvents();
    EXPECT_FALSE(panel->link().awaiting());
    EXPECT_EQ(messages.shown.size(), 1);

    msc->answer = nullptr;
    messages.shown.clear();
    int shownDuringPauses = 0;
    pause.meanwhile = [&] {
        QTest::qWait(10);
        shownDuringPauses += static_cast<int>(messages.shown.size());
    };
    press("cmd_Data");
    EXPECT_EQ(msc->sent.size(), 7u);
    EXPECT_EQ(shownDuringPauses, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !panel->link().awaiting(); }, kWaitMs));
    pumpEvents();
    EXPECT_EQ(messages.shown.size(), 1);
}
