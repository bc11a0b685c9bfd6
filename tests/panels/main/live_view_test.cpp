// The live view's polling on the main panel's line: its frames and replies
// kept apart from the panel's, held back while a sequence or a read runs,
// stopped by a silent driver or a lost line, and nothing once closed.

#include "app/live_view.h"
#include "panels/main/main_panel.h"
#include "tests/support/driver_panel_fixture.h"
#include "ui/live_view_module.h"

#include <QTest>
#include <gtest/gtest.h>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

// Records what the live view shows instead of drawing it.
class RecordingWindow : public LiveViewWindow {
public:
    explicit RecordingWindow(QStringList& samples) : samples_(samples) {}
    QWidget* widget() override { return &widget_; }
    int interval() const override { return 100; }
    void showSample(const LiveSample& s) override {
        samples_ << QStringLiteral("%1 %2 %3").arg(s.position).arg(s.running).arg(s.inputs);
    }
    void showState(LiveState) override {}
    void showRecording(bool) override {}

private:
    QWidget widget_;
    QStringList& samples_;
};

struct Case {
    const char* name;
    // tick: one interval; press NAME; reply CODE=VALUE; inputs A B (hex
    // status bytes); writeall: WRITE ALL with an interval in every pause;
    // silence: the driver leaves a frame unanswered; lose: the device goes;
    // close: the window's close box.
    std::vector<const char*> steps;
    // The line in order: each frame written as cmd/opt1, each reply given
    // as <code.
    const char* wire;
    const char* samples;
    const char* positionBox; // Text_RPOS
    int messages;
};

const Case kCases[] = {
    {"an idle line: position, then inputs, make one sample; the panel's boxes and echo untouched",
     {"tick", "reply 6=1000", "inputs 01 81"},
     "6/8 <6 12/1 <12",
     "1000 1 129",
     "0",
     0},
    {"a press during a poll: each reply goes to whom it answers",
     {"tick", "press Cmd_RPOS", "reply 6=111", "reply 6=222", "tick", "reply 6=333",
      "inputs 00 00"},
     "6/8 6/8 <6 <6 6/8 <6 12/1 <12",
     "333 0 0",
     "222",
     0},
    {"nothing asked while the panel waits for its inputs",
     {"press CMD_IN", "tick", "inputs 00 01", "tick"},
     "12/1 <12 6/8",
     "",
     "0",
     0},
    {"WRITE ALL: only its seven frames, the intervals in its pauses ask nothing",
     {"writeall", "tick"},
     "5/1 5/2 5/4 5/5 5/7 5/9 5/6 6/8",
     "",
     "0",
     0},
    {"a silent driver: one message, then nothing until it answers the panel",
     {"tick", "silence", "tick", "press Cmd_RPOS", "reply 6=5", "tick"},
     "6/8 6/8 <6 6/8",
     "",
     "5",
     1},
    {"a lost line: its one message, then nothing",
     {"tick", "lose", "tick", "tick"},
     "6/8",
     "",
     "0",
     1},
    {"closed: a late reply makes no sample and nothing more is asked",
     {"tick", "close", "reply 6=7", "tick"},
     "6/8 <6",
     "",
     "0",
     0},
};

void PrintTo(const Case& c, std::ostream* os) {
    *os << c.name;
}

struct LiveViewPolling : DriverPanelFixture<MainPanel>, ::testing::WithParamInterface<Case> {
    QStringList samples;
    void SetUp() override {
        shell.start();
        open(shell.main(), "MSC");
        shell.liveView().setWindowMaker(
            [this](LiveViewActions) { return std::make_unique<RecordingWindow>(samples); });
        shell.liveView().open();
        shell.liveView().poll().stop(); // the test gives the intervals
        shell.liveView().poll().start(60 * 60 * 1000);
        msc->sent.clear();
    }
    // The frames written since the last look, onto the wire.
    void written() {
        for (; seen < msc->sent.size(); ++seen) {
            const QByteArray& b = msc->sent[seen].bytes;
            wire << QStringLiteral("%1/%2").arg(int(quint8(b[2]))).arg(int(quint8(b[3])));
        }
    }
    QStringList wire;
    std::size_t seen = 0;
    void run(const QString& step) {
        const QStringList w = step.split(QLatin1Char(' '));
        written();
        if (w[0] == QLatin1String("reply") || w[0] == QLatin1String("inputs"))
            wire << QLatin1Char('<') + (w[0] == QLatin1String("reply") ? w[1].section('=', 0, 0)
                                                                       : QStringLiteral("12"));
        LivePoll& poll = shell.liveView().poll();
        if (w[0] == QLatin1String("tick")) {
            poll.tick();
        } else if (w[0] == QLatin1String("press")) {
            click(*panel, w[1].toLatin1().constData());
        } else if (w[0] == QLatin1String("reply")) {
            const QStringList cv = w[1].split(QLatin1Char('='));
            msc->push(shortReply(static_cast<std::uint8_t>(cv[0].toInt()), cv[1].toInt()));
        } else if (w[0] == QLatin1String("inputs")) {
            const Bytes b = replyFrame(Format::Short, 12,
                                       {0, 0, static_cast<std::uint8_t>(w[1].toInt(nullptr, 16)),
                                        static_cast<std::uint8_t>(w[2].toInt(nullptr, 16))});
            msc->push(QByteArray(reinterpret_cast<const char*>(b.data()), int(b.size())));
        } else if (w[0] == QLatin1String("writeall")) {
            pause.meanwhile = [&poll] { poll.tick(); };
            click(*panel, "cmd_Data");
            pause.meanwhile = nullptr;
        } else if (w[0] == QLatin1String("silence")) {
            panel->link().setReplyTimeout(20);
            EXPECT_TRUE(QTest::qWaitFor([&] { return !messages.shown.isEmpty(); }, 2000));
        } else if (w[0] == QLatin1String("lose")) {
            msc->lose();
        } else if (w[0] == QLatin1String("close")) {
            shell.liveView().close();
        }
        pumpEvents();
    }
};

} // namespace

TEST_P(LiveViewPolling, keepsToItsOwnFrames) {
    const Case& c = GetParam();
    for (const char* step : c.steps)
        run(QString::fromLatin1(step));
    written();
    EXPECT_EQ(wire.join(QLatin1Char(' ')).toStdString(), c.wire);
    EXPECT_EQ(samples.join(QLatin1Char(',')).toStdString(), c.samples);
    EXPECT_EQ(textOf("Text_RPOS").toStdString(), c.positionBox);
    EXPECT_EQ(messages.shown.size(), c.messages)
        << messages.shown.join(QLatin1Char('\n')).toStdString();
    // The live view's frames and replies never show in the panel's echo.
    const bool panelSent = std::any_of(c.steps.begin(), c.steps.end(), [](const char* step) {
        return QByteArray(step).startsWith("press") || QByteArray(step) == "writeall";
    });
    if (!panelSent) {
        EXPECT_EQ((textOf("txt_tx") + textOf("rx_txt")).toStdString(), "");
    }
}

INSTANTIATE_TEST_SUITE_P(, LiveViewPolling, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return "case" + std::to_string(info.index); });
