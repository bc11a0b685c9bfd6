#include "app/live_view.h"
#include "app/start_dialog.h"
#include "link/frame_link.h"
#include "panels/belt/belt_panel.h"
#include "panels/jog_position/jog_position_panel.h"
#include "panels/main/main_panel.h"
#include "tests/support/driver_panel_fixture.h"
#include "ui/live_view_module.h"

#include <QComboBox>
#include <QTest>
#include <gtest/gtest.h>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

struct Switching : PanelFixture {
    int ended = 0;

    void SetUp() override {
        shell.setEndProgram([this] { ++ended; });
        shell.start();
        click(shell.main(), "cmd_comm");
        click(shell.startDialog(), "cmd_common");
        ASSERT_TRUE(shell.main().isVisible());
    }
    // The names of the open port objects and of the visible windows.
    QString openPorts() {
        QStringList open;
        for (const char* name : {"MSC", "MSC1", "MSC2"})
            if (port(QString::fromLatin1(name)).PortOpen())
                open << QString::fromLatin1(name);
        return open.join(' ');
    }
    QString visible() {
        QStringList shown;
        for (Win w : {Win::Start, Win::Main, Win::JogPosition, Win::Belt})
            if (shell.window(w).isVisible())
                shown << shell.window(w).objectName();
        return shown.join(' ');
    }
};

} // namespace

TEST_F(Switching, theVisiblePanelHoldsTheLinkAndKeepsItsText) {
    QLineEdit* pulse = box(shell.main(), "Text_PULSE");
    pulse->setText("1234");

    click(shell.main(), "cmd_JP");
    EXPECT_EQ(visible(), "JP_form");
    EXPECT_EQ(openPorts(), "MSC1");
    box(shell.jogPosition(), "Text_pos_2")->setText("-77");

    click(shell.jogPosition(), "Command1");
    EXPECT_EQ(visible(), "Belt_form");
    EXPECT_EQ(openPorts(), "MSC2");

    click(shell.belt(), "cmd_MAIN");
    EXPECT_EQ(visible(), "main");
    EXPECT_EQ(openPorts(), "MSC");
    EXPECT_EQ(pulse->text(), "1234");

    click(shell.main(), "Command1");
    EXPECT_EQ(openPorts(), "MSC2");
    click(shell.belt(), "Command1");
    EXPECT_EQ(visible(), "JP_form");
    EXPECT_EQ(openPorts(), "MSC1");
    EXPECT_EQ(box(shell.jogPosition(), "Text_pos_2")->text(), "-77");
    click(shell.jogPosition(), "cmd_JP");
    EXPECT_EQ(visible(), "main");
    EXPECT_EQ(openPorts(), "MSC");
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(Switching, backToTheDialogShowsItConnectedFromEveryPanel) {
    StartDialog& dialog = shell.startDialog();
    click(shell.main(), "cmd_comm");
    EXPECT_EQ(visible(), "Start");
    EXPECT_EQ(openPorts(), "MSC");
    EXPECT_FALSE(button(dialog, "cmd_common")->isEnabled());
    EXPECT_TRUE(button(dialog, "cmd_commoff")->isEnabled());

    // From the table panel the link stays open on its port object.
    click(dialog, "cmd_commoff");
    click(dialog, "cmd_common");
    click(shell.main(), "cmd_JP");
    click(shell.jogPosition(), "cmd_comm");
    EXPECT_EQ(visible(), "Start");
    EXPECT_EQ(openPorts(), "MSC1");
    EXPECT_TRUE(button(dialog, "cmd_commoff")->isEnabled());

    // From the belt panel nothing stays open, yet the dialog offers only
    // disconnect; disconnect, then connect, shows main with MSC open.
    click(dialog, "cmd_commoff");
    EXPECT_EQ(openPorts(), "");
    click(dialog, "cmd_common");
    click(shell.main(), "Command1");
    click(shell.belt(), "cmd_comm");
    EXPECT_EQ(openPorts(), "");
    EXPECT_FALSE(button(dialog, "cmd_common")->isEnabled());
    click(dialog, "cmd_commoff");
    click(dialog, "cmd_common");
    EXPECT_EQ(visible(), "main");
    EXPECT_EQ(openPorts(), "MSC");
}

// The target alone, then (another program takes the device as the operator
// switches) the target and the way back: one message naming the port each.
TEST_F(Switching, aTargetPortThatWillNotOpenKeepsTheOperatorWhereHeWas) {
    for (const QStringList& refused : {QStringList{"MSC1"}, QStringList{"MSC", "MSC1"}}) {
        messages.shown.clear();
        for (const QString& name : refused)
            port(name).refusedPath = port("MSC").devicePath();
        click(shell.main(), "cmd_JP");
        EXPECT_EQ(messages.shown.size(), 1) << messages.shown.join('\n').toStdString();
        EXPECT_TRUE(messages.shown.value(0).contains("COM4"));
        EXPECT_EQ(visible(), "main");
        if (refused.size() == 1) {
            EXPECT_EQ(openPorts(), "MSC");
        }
    }
}

// Before the first connect no port object has been configured, so a switch
// has no link to hand over and opens nothing.
TEST_F(PanelFixture, beforeTheFirstConnectASwitchOpensNoPort) {
    shell.start();
    click(shell.main(), "cmd_JP");
    EXPECT_TRUE(shell.jogPosition().isVisible());
    EXPECT_FALSE(shell.main().isVisible());
    EXPECT_FALSE(port("MSC1").PortOpen());
    click(shell.jogPosition(), "Command1");
    EXPECT_TRUE(shell.belt().isVisible());
    EXPECT_FALSE(port("MSC2").PortOpen());
    EXPECT_TRUE(messages.shown.isEmpty());
}

// A press before any connect names no port: the operator chose none. Once
// connected and disconnected, the port chosen is named.
TEST_F(PanelFixture, aPressBeforeAnyConnectNamesNoPort) {
    shell.start();
    const struct {
        Win on;
        const char* button;
    } presses[] = {
        {Win::Main, "cmd_ROR"}, {Win::JogPosition, "cmd_move1_0"}, {Win::Belt, "cmd_RData"}};
    const QString notConnected =
        "포트가 연결되어 있지 않습니다. 통신설정에서 포트를 먼저 연결하십시오.";
    for (const auto& p : presses) {
        messages.shown.clear();
        click(shell.window(p.on), p.button);
        EXPECT_EQ(messages.shown, QStringList{notConnected}) << p.button;
    }
    click(shell.main(), "cmd_comm");
    click(shell.startDialog(), "cmd_common");
    click(shell.main(), "cmd_comm");
    click(shell.startDialog(), "cmd_commoff");
    messages.shown.clear();
    click(shell.main(), "cmd_ROR");
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].startsWith("COM4")) << messages.shown[0].toStdString();
}

namespace {

const char* const kJogRight = "AA 00 01 00 00 00 01 2C EE 2E 00 00";
const char* const kStop = "AA 00 03 00 00 00 00 00 EE 03 00 00";

// A button pressed on a window, or without one its close box.
struct Step {
    Win on;
    const char* button;
};

struct Exit : Switching {
    QString openAtReply; // the open ports when the stop's reply was handled

    void SetUp() override {
        Switching::SetUp();
        // Every panel's line answers the stop, and the main panel's an input
        // read with the motor standing.
        for (const char* name : {"MSC", "MSC1", "MSC2"})
            port(name).answer = [](const QByteArray& sent) {
                return sent.startsWith(fromHex("AA 00 03"))   ? shortReply(3, 0)
                       : sent.startsWith(fromHex("AA 00 0C")) ? shortReply(12, 0)
                                                              : QByteArray();
            };
        for (DriverPanel* p : std::initializer_list<DriverPanel*>{
                 &shell.main(), &shell.jogPosition(), &shell.belt()})
            QObject::connect(&p->link(), &FrameLink::replied, &shell, [this](const Reply& r) {
                if (r.code == 3)
                    openAtReply = openPorts();
            });
    }
    // Connected again, on main, from wherever the last case left off.
    void reconnect() {
        messages.answer = 1; // a jog left running is left so by the disconnect
        walk({{Win::Main, "cmd_comm"}, {Win::Start, "cmd_commoff"}, {Win::Start, "cmd_common"}});
        ended = 0;
        openAtReply.clear();
        messages.asked.clear();
        for (const auto& [name, p] : ports)
            p->sent.clear();
    }
    void walk(const std::vector<Step>& steps) {
        for (const Step& s : steps)
            s.button ? click(shell.window(s.on), s.button) : void(shell.window(s.on).close());
    }
};

// Every way out, each from where the operator stands, and "통신 정지" from the
// dialog reached from either panel that keeps the link; the last step asks.
// The stop goes through the port that holds the line.
struct Way {
    std::vector<Step> steps;
    bool exits; // else it disconnects and the dialog stays
    const char* holder;
};
const Way kWays[] = {
    {{{Win::Main, "CMD_EXIT"}}, true, "MSC"},
    {{{Win::Main, nullptr}}, true, "MSC"},
    {{{Win::Main, "cmd_JP"}, {Win::JogPosition, "CMD_EXIT"}}, true, "MSC1"},
    {{{Win::Main, "Command1"}, {Win::Belt, nullptr}}, true, "MSC2"},
    {{{Win::Main, "cmd_JP"}, {Win::JogPosition, "cmd_comm"}, {Win::Start, "CMD3"}}, true, "MSC1"},
    {{{Win::Main, "cmd_comm"}, {Win::Start, "cmd_commoff"}}, false, "MSC"},
    {{{Win::Main, "cmd_JP"}, {Win::JogPosition, "cmd_comm"}, {Win::Start, "cmd_commoff"}},
     false,
     "MSC1"},
};

} // namespace

// A jog left running is stopped (its stop on the line before the port
// closes), left or kept running with the line as the operator answers.
TEST_F(Exit, aRunningJogIsStoppedLeftOrKeptAsTheOperatorAnswers) {
    constexpr int Stop = 0, LeaveRunning = 1, Cancel = 2, NoChoice = -1;
    StartDialog& dialog = shell.startDialog();
    for (const Way& way : kWays)
        for (int answer : {Stop, LeaveRunning, Cancel, NoChoice}) {
            const auto what =
                "way " + std::to_string(&way - kWays) + " answered " + std::to_string(answer);
            reconnect();
            click(shell.main(), "cmd_ROR");
            walk({way.steps.begin(), way.steps.end() - 1});
            const QString before = openPorts() + " / " + visible();
            messages.answer = answer;
            walk({way.steps.back()});

            EXPECT_EQ(messages.asked,
                      QStringList{way.exits ? "모터가 조그 운전 중입니다. 정지하고 종료할까요? | "
                                              "정지 후 종료 | 그대로 종료 | 취소"
                                            : "모터가 조그 운전 중입니다. 정지하고 통신을 "
                                              "끊을까요? | 정지 후 통신 정지 | 그대로 통신 "
                                              "정지 | 취소"})
                << what;
            const QString jog = QStringLiteral("MSC:") + kJogRight;
            const QString stop = QStringLiteral(" ") + way.holder + ":" + kStop;
            EXPECT_EQ(sentAnywhere().join(' '), answer == Stop ? jog + stop : jog) << what;
            // The stop's reply came while its port was the only one open.
            EXPECT_EQ(openAtReply, answer == Stop ? way.holder : "") << what;
            const bool stays = answer == Cancel || answer == NoChoice;
            EXPECT_EQ(ended, way.exits && !stays ? 1 : 0) << what;
            EXPECT_EQ(openPorts() + " / " + visible(), stays       ? before
                                                       : way.exits ? " / "
                                                                   : " / Start")
                << what;
            if (!way.exits) {
                EXPECT_EQ(button(dialog, "cmd_commoff")->isEnabled(), stays) << what;
            }
        }
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}

TEST_F(Exit, noQuestionWithoutARunningJogAndNoHangWithoutAReply) {
    // Every window's exit button and close box end the program, ports closed.
    const std::vector<Step> noJog[] = {
        {{Win::Main, "CMD_EXIT"}},
        {{Win::Main, "Command1"}, {Win::Belt, "CMD_EXIT"}},
        {{Win::Main, "cmd_JP"}, {Win::JogPosition, nullptr}},
        {{Win::Main, "cmd_comm"}, {Win::Start, nullptr}},
        {{Win::Main, "cmd_ROL"}, {Win::Main, "mtr_STOP"}, {Win::Main, "CMD_EXIT"}},
        // A jog frame that did not go out starts nothing.
        {{Win::Main, "cmd_comm"},
         {Win::Start, "cmd_commoff"},
         {Win::Main, "cmd_ROR"},
         {Win::Start, "CMD3"}},
    };
    for (const auto& steps : noJog) {
        reconnect();
        walk({steps.begin(), steps.end() - 1});
        const auto sent = sentAnywhere();
        walk({steps.back()});
        const auto what = &steps - noJog;
        EXPECT_TRUE(messages.asked.isEmpty()) << what;
        EXPECT_EQ(sentAnywhere(), sent) << what;
        EXPECT_EQ(ended, 1) << what;
        EXPECT_EQ(openPorts() + " / " + visible(), " / ") << what;
    }

    // A driver that does not answer the stop holds the exit up for a moment
    // only, and is said: the motor may still turn.
    reconnect();
    port("MSC").answer = nullptr;
    messages.answer = 0;
    messages.shown.clear();
    walk({{Win::Main, "cmd_ROR"}, {Win::Main, "CMD_EXIT"}});
    EXPECT_EQ(hexOf(port("MSC").lastSent()), kStop);
    EXPECT_EQ(ended, 1);
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].contains("응답하지 않았습니다"));
}

// Any motion not followed by a stop nor reported finished asks before the
// line closes; the stop goes out first on the line that holds it, and a
// motor the driver reports standing asks nothing.
TEST_F(Exit, anyMotionAsksUntilStoppedOrReportedStanding) {
    box(shell.main(), "Text_PULSE")->setText("5000");
    const struct {
        std::vector<Step> start;
        const char* holder;
    } motions[] = {
        {{{Win::Main, "CMD_CUR"}}, "MSC"},
        {{{Win::Main, "CMD_CUR_R"}, {Win::Main, "cmd_comm"}}, "MSC"},
        {{{Win::Main, "cmd_orgin"}, {Win::Main, "Command1"}}, "MSC2"},
        {{{Win::Main, "cmd_JP"}, {Win::JogPosition, "cmd_move1_0"}}, "MSC1"},
    };
    const QString question = "모터가 움직이고 있을 수 있습니다. 정지하고 종료할까요? | 정지 후 "
                             "종료 | 그대로 종료 | 취소";
    for (const auto& m : motions) {
        const auto what = &m - motions;
        reconnect();
        walk(m.start);
        messages.answer = 0;
        shell.exitProgram();
        EXPECT_EQ(messages.asked, QStringList{question}) << what;
        EXPECT_EQ(hexOf(port(m.holder).lastSent()), kStop) << what;
        EXPECT_EQ(openAtReply, m.holder) << what;
        EXPECT_EQ(ended, 1) << what;
    }
    // The driver's inputs say the motor stands: nothing to ask.
    reconnect();
    walk({{Win::Main, "cmd_orgin"}, {Win::Main, "CMD_IN"}});
    pumpEvents();
    shell.exitProgram();
    EXPECT_TRUE(messages.asked.isEmpty());
    EXPECT_EQ(ended, 1);
}

// The live view's stop goes through whichever panel holds the line, never
// through the main panel's port closed behind another panel.
TEST_F(Switching, theLiveViewsStopGoesThroughThePanelThatHoldsTheLine) {
    LiveViewActions actions;
    struct Window : LiveViewWindow {
        QWidget w;
        QWidget* widget() override { return &w; }
        int interval() const override { return 100; }
        void showSample(const LiveSample&) override {}
        void showState(LiveState) override {}
        void showRecording(bool) override {}
    };
    shell.liveView().setWindowMaker([&actions](LiveViewActions a) {
        actions = std::move(a);
        return std::make_unique<Window>();
    });
    shell.liveView().open();
    shell.liveView().poll().stop();
    const struct {
        Step to;
        const char* holder;
    } panels[] = {{{Win::Main, "cmd_JP"}, "MSC1"},
                  {{Win::JogPosition, "Command1"}, "MSC2"},
                  {{Win::Belt, "cmd_MAIN"}, "MSC"}};
    for (const auto& p : panels) {
        click(shell.window(p.to.on), p.to.button);
        for (const auto& [name, fake] : ports)
            fake->sent.clear();
        actions.stopMotor();
        EXPECT_EQ(sentAnywhere(), QStringList{QString(p.holder) + ":" + kStop}) << p.holder;
        EXPECT_TRUE(messages.shown.isEmpty()) << p.holder;
    }
}
