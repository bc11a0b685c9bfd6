#include "core/commands.h"
#include "link/frame_link.h"
#include "link/pause.h"
#include "tests/support/link_harness.h"

#include <QRandomGenerator>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <array>
#include <gtest/gtest.h>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

struct LinkCase : ::testing::Test {
    explicit LinkCase(Format format) : harness(format) {}
    LinkHarness harness;
    FakeCommControl& port = harness.port;
    FrameLink& link = harness.link;
    std::vector<Reply>& replies = harness.replies;
    int& events = harness.events;
    bool& checkTrailer = harness.checkTrailer;
    int wrong() const { return harness.wrongBytes(); }
};

struct ShortLink : LinkCase {
    ShortLink() : LinkCase(Format::Short) {}
};
struct LongLink : LinkCase {
    LongLink() : LinkCase(Format::Long) {}
};

} // namespace

TEST_F(ShortLink, sendWritesTheWholeBufferAndEchoesTheFrame) {
    link.send({3});
    port.push(fromHex("BB 00 03 64 00 00 00 00 EE 0C"));
    pumpEvents();
    ASSERT_FALSE(link.rxEcho().isEmpty());
    link.send({7, 1, 0, 0, 0, 0});
    EXPECT_EQ(hexOf(port.lastSent()), "AA 00 07 01 00 00 00 00 EE 08 00 00");
    EXPECT_EQ(link.txEcho(), "AA  00  07  01  00  00  00  00  EE  08  ");
    // The 10-byte panels start every request with an empty RX echo.
    EXPECT_TRUE(link.rxEcho().isEmpty());
}

// Each reply is handed on parsed, with its wrong fixed bytes counted, and the
// threshold is back for the next one.
TEST_F(ShortLink, eachReplyIsHandedOnParsedWithItsWrongBytes) {
    const struct {
        const char* hex;
        int code;
        int value;
        int wrong;
    } cases[] = {{"BB 00 07 64 00 00 00 00 EE 0C", 7, 0, 0},
                 {"BB 00 06 65 00 00 03 20 EE 0C", 6, 800, 1},
                 {"BB 00 06 64 00 00 03 20 EF 0C", 6, 800, 1}};
    for (const auto& c : cases) {
        replies.clear();
        link.send({static_cast<std::uint8_t>(c.code)});
        port.push(fromHex(c.hex));
        pumpEvents();
        ASSERT_EQ(replies.size(), 1u) << c.hex;
        EXPECT_EQ(replies[0].code, c.code) << c.hex;
        EXPECT_EQ(replies[0].value(), c.value) << c.hex;
        EXPECT_EQ(wrong(), c.wrong) << c.hex;
        EXPECT_EQ(port.RThreshold(), 10);
        EXPECT_TRUE(link.rxEcho().endsWith(QString(c.hex).replace(QChar(' '), "  ") + "  "));
    }
}

TEST_F(ShortLink, twentyBytesAreEchoedWholeAndOnlyTheReplyIsHandled) {
    link.send({6});
    port.push(fromHex("BB 00 06 64 FF FF FF FF EE 00 00 11 22 33 44 55 66 77 88 99"));
    pumpEvents();
    EXPECT_EQ(wrong(), 0);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(link.rxEcho().size(), 80);
    EXPECT_EQ(replies[0].value(), -1);
    EXPECT_EQ(events, 1);
}

TEST_F(ShortLink, replyArrivingDuringTheHandlerRaisesAnEventOnceThresholdIsBack) {
    int handled = 0;
    harness.onReply = [&](const Reply&) {
        if (++handled == 1) {
            // The chain sends its next request; the reply is in before the
            // threshold is restored.
            link.send({6, 2, 0, 0, 0, 0});
            port.push(fromHex("BB 00 06 64 00 00 00 04 EE 00"));
        }
    };
    link.send({6, 1});
    port.push(fromHex("BB 00 06 64 00 00 00 14 EE 00"));
    pumpEvents();
    EXPECT_EQ(handled, 2);
}

TEST_F(ShortLink, noEventWhileThresholdIsZeroOrBytesAreShort) {
    port.setRThreshold(0);
    port.push(fromHex("BB 00 07 64 00 00 00 00 EE 0C"));
    pumpEvents();
    EXPECT_EQ(events, 0);
    port.setRThreshold(11);
    pumpEvents();
    EXPECT_EQ(events, 0);
    port.setRThreshold(10);
    pumpEvents();
    EXPECT_EQ(events, 1);
}

TEST_F(ShortLink, receiveEventsWaitForThePauseToEnd) {
    PauseGate gate;
    LinkHarness gated(Format::Short, &gate);
    // A pause inside a pause: events wait for the outer one to end.
    gate.begin();
    gate.begin();
    gated.port.push(fromHex("BB 00 07 64 00 00 00 00 EE 0C"));
    pumpEvents();
    gate.end();
    pumpEvents();
    EXPECT_EQ(gated.events, 0);
    gate.end();
    pumpEvents();
    EXPECT_EQ(gated.events, 1);
}

TEST_F(ShortLink, otherEventKindsChangeNothing) {
    // A whole reply waits, but the event is not "data received".
    link.send({7});
    link.send({7});
    link.clearRx();
    port.setRThreshold(0);
    port.push(fromHex("BB 00 07 64 00 00 00 00 EE 0C"));
    port.setRThreshold(10);
    port.raiseOther(1);
    EXPECT_EQ(events, 1);
    EXPECT_TRUE(replies.empty());
    EXPECT_EQ(port.RThreshold(), 10);
    EXPECT_EQ(port.InBufferCount(), 10);
    EXPECT_TRUE(link.rxEcho().isEmpty());

    // Outside any event the procedure does nothing either.
    pumpEvents();
    ASSERT_EQ(replies.size(), 1u);
    port.push(fromHex("BB 00 07 64 00 00 00 00 EE 0C"));
    link.receive([this](const Reply& r) { replies.push_back(r); });
    EXPECT_EQ(replies.size(), 1u);
    EXPECT_EQ(port.InBufferCount(), 10);
}

TEST_F(ShortLink, eachReplyIsReadFromItsOwnBytes) {
    for (std::uint8_t code : {3, 6, 6, 3})
        link.send({code});
    // Two events with no send between: the second reply's data is its own.
    port.push(fromHex("BB 00 03 64 00 00 00 00 EE 03"));
    pumpEvents();
    port.push(fromHex("BB 00 06 64 00 00 32 00 EE 3C"));
    pumpEvents();
    // Two replies read in one event are two replies.
    port.setRThreshold(0);
    port.push(fromHex("BB 00 06 64 00 00 00 04 EE 0E BB 00 03 64 00 00 00 00 EE 03"));
    port.setRThreshold(10);
    pumpEvents();
    ASSERT_EQ(replies.size(), 4u);
    const std::pair<int, int> codeAndValue[] = {{3, 0}, {6, 12800}, {6, 4}, {3, 0}};
    for (std::size_t i = 0; i < replies.size(); ++i) {
        EXPECT_EQ(replies[i].code, codeAndValue[i].first) << i;
        EXPECT_EQ(replies[i].value(), codeAndValue[i].second) << i;
    }
    EXPECT_EQ(events, 3);
    EXPECT_EQ(link.rxEcho().size(), 160);
    EXPECT_EQ(wrong(), 0);
}

TEST_F(ShortLink, pendingEventsRunBeforeTheThresholdIsRestored) {
    int thresholdSeen = -1;
    harness.onReply = [&](const Reply&) {
        QMetaObject::invokeMethod(
            &port, [&] { thresholdSeen = port.RThreshold(); }, Qt::QueuedConnection);
    };
    link.send({7});
    port.push(fromHex("BB 00 07 64 00 00 00 00 EE 0C"));
    pumpEvents();
    EXPECT_EQ(thresholdSeen, 0);
    EXPECT_EQ(port.RThreshold(), 10);
}

TEST_F(ShortLink, aLostDeviceIsReportedOnceFromTheEventLoop) {
    int failures = 0;
    QObject::connect(&port, &CommControl::failed, [&] {
        ++failures;
        EXPECT_FALSE(port.PortOpen());
    });
    port.lose();
    // Not from inside the device's notification, where a modal box must not run.
    EXPECT_EQ(failures, 0);
    EXPECT_FALSE(port.PortOpen());
    // A frame meanwhile is not sent, and not reported on its own.
    EXPECT_FALSE(port.Output(fromHex("AA 00 07 01 00 00 00 00 EE 08 00 00")));
    port.lose();
    pumpEvents();
    EXPECT_EQ(failures, 1);
}

TEST_F(LongLink, longFramesKeepTheRxEchoAndCheckTheTrailerOnlyWhenAsked) {
    link.send({15, 1, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(hexOf(port.lastSent()), "CC 00 0F 01 00 00 00 00 00 00 00 EE 10 00 00");

    checkTrailer = false;
    link.send({15, 2});
    port.push(fromHex("BB 00 0F 64 03 20 00 0A FF FF 9C 00 00"));
    pumpEvents();
    EXPECT_EQ(wrong(), 0);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].value(0), 800);
    EXPECT_EQ(replies[0].value(1), 10);
    EXPECT_EQ(replies[0].value(2), -100);

    link.clearRx();
    checkTrailer = true;
    port.push(fromHex("BB 00 0F 64 03 20 00 0A FF FF 9C 00 00"));
    pumpEvents();
    EXPECT_EQ(wrong(), 1);
    // Sending on the 13-byte panel leaves the RX echo alone.
    link.send({15, 2, 0, 0, 0, 0, 0, 0, 0});
    EXPECT_EQ(link.rxEcho().size(), 52);
}

TEST_F(LongLink, aLongBurstKeepsItsEchoBounded) {
    link.send({15, 1});
    link.clearRx();
    port.push(fromHex("BB 00 0F 64 03 20 00 0A FF FF 9C EE 00"));
    pumpEvents();
    // Noise in many events: the table panel's echo is never cleared by a send.
    QByteArray noise(4096, '\0');
    for (int chunk = 0; chunk < 64; ++chunk) {
        for (int i = 0; i < noise.size(); ++i)
            noise[i] = static_cast<char>((chunk * 131 + i * 7) & 0x7F);
        port.push(noise);
        pumpEvents();
    }
    // Noise is no reply.
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies.front().value(0), 800);
    EXPECT_EQ(replies.front().value(1), 10);
    EXPECT_EQ(replies.front().value(2), -100);
    // The box shows the newest bytes, as many as it keeps.
    EXPECT_EQ(link.rxEcho().size(), 4 * FrameLink::kRxEchoShownBytes);
    EXPECT_TRUE(link.rxEcho().endsWith(QString::fromStdString(
        hexEcho(reinterpret_cast<const std::uint8_t*>(noise.constData()) + noise.size() - 3, 3))));
}

// The second of patience does not run while a pause holds the receive
// events back nor while a box waits for the operator; after either the
// reply gets a whole second again, and one that came meanwhile is no
// silence.
TEST(ReplyClock, aPauseOrABoxHoldsItAndAReplyMeanwhileCounts) {
    for (const bool box : {false, true}) {
        SCOPED_TRACE(box ? "a box" : "a pause");
        PauseGate gate;
        LinkHarness h(Format::Short, &gate);
        FakeCommControl& port = h.port;
        FrameLink& link = h.link;
        link.setReplyTimeout(30);
        int silent = 0;
        const auto handled = [&] { return h.replies.size(); };
        QObject::connect(&link, &FrameLink::silent, [&] { ++silent; });
        link.send({6, 1});
        box ? gate.beginReading() : gate.begin();
        QTest::qWait(90);
        port.push(fromHex("BB 00 06 64 00 00 00 14 EE 00"));
        QTest::qWait(60);
        EXPECT_EQ(silent, 0);
        box ? gate.endReading() : gate.end();
        ASSERT_TRUE(QTest::qWaitFor([&] { return handled() == 1; }, 2000));
        EXPECT_EQ(silent, 0);
        EXPECT_FALSE(link.awaiting());
    }
}

// A stop goes out at once when no pause runs; during a pause it goes out as
// the pause ends, before anything else, and the count of stops tells a
// sequence under way to send nothing more.
TEST(Stop, goesOutAtTheNextFrameSlot) {
    PauseGate gate;
    FakeCommControl port(QStringLiteral("MSC"), &gate);
    FrameLink link(Format::Short, port);
    port.setPortOpen(true);
    std::vector<bool> told;
    const auto tell = [&](bool sent) { told.push_back(sent); };
    link.sendStop(tell);
    EXPECT_EQ(hexOf(port.lastSent()), "AA 00 03 00 00 00 00 00 EE 03 00 00");
    EXPECT_EQ(link.stops(), 1);

    // Two stops in one pause are one frame, and both are told of it.
    port.sent.clear();
    gate.begin();
    link.sendStop(tell);
    link.sendStop(tell);
    EXPECT_TRUE(port.sent.empty());
    EXPECT_EQ(link.stops(), 3);
    gate.end();
    ASSERT_EQ(port.sent.size(), 1u);
    EXPECT_EQ(hexOf(port.lastSent()), "AA 00 03 00 00 00 00 00 EE 03 00 00");
    EXPECT_EQ(told, (std::vector<bool>{true, true, true}));
    // Its reply is awaited like any other.
    EXPECT_TRUE(link.awaiting());

    // A stop that cannot go out is told so.
    port.setPortOpen(false);
    link.sendStop(tell);
    EXPECT_EQ(told.back(), false);
}

// Every frame that went out is said, with its format and command: the
// panel's, the live view's and the stop; one that did not, is not.
TEST_F(ShortLink, everyFrameThatWentOutIsSaid) {
    std::vector<std::pair<Format, int>> sent;
    QObject::connect(&link, &FrameLink::frameSent,
                     [&](Format f, std::uint8_t cmd) { sent.emplace_back(f, cmd); });
    link.send({6, 1});
    link.sendWatch({12, 1});
    link.sendStop();
    port.setPortOpen(false);
    link.send({6, 1});
    link.sendStop();
    EXPECT_EQ(sent, (std::vector<std::pair<Format, int>>{
                        {Format::Short, 6}, {Format::Short, 12}, {Format::Short, 3}}));
}

// The table link sends the 10-byte stop: echoed as sent, the RX echo kept,
// and its 10-byte reply read and handed on as such, even when the port was
// waiting for a 13-byte reply's worth.
TEST_F(LongLink, theStopIsTheTenByteFrameAndSoIsItsReply) {
    std::vector<std::pair<Format, int>> sent;
    QObject::connect(&link, &FrameLink::frameSent,
                     [&](Format f, std::uint8_t cmd) { sent.emplace_back(f, cmd); });
    std::vector<Reply> replied;
    QObject::connect(&link, &FrameLink::replied, [&](const Reply& r) { replied.push_back(r); });
    link.send({15, 1});
    port.push(fromHex("BB 00 0F 64 03 20 00 0A FF FF 9C EE 00"));
    pumpEvents();
    ASSERT_EQ(port.RThreshold(), 13);

    link.sendStop();
    EXPECT_EQ(hexOf(port.lastSent()), "AA 00 03 00 00 00 00 00 EE 03 00 00");
    EXPECT_EQ(link.txEcho(), "AA  00  03  00  00  00  00  00  EE  03  ");
    EXPECT_EQ(link.rxEcho().size(), 52);
    port.push(fromHex("BB 00 03 64 00 00 00 05 EE 6C"));
    pumpEvents();
    ASSERT_EQ(replies.size(), 2u);
    EXPECT_EQ(replies[1].code, 3);
    EXPECT_EQ(replies[1].fields.size(), 1u);
    EXPECT_EQ(replies[1].value(), 5);
    EXPECT_EQ(wrong(), 0);
    EXPECT_EQ(link.rxEcho().size(), 92);
    EXPECT_FALSE(link.awaiting());
    EXPECT_EQ(port.RThreshold(), 13);
    ASSERT_EQ(replied.size(), 2u);
    EXPECT_EQ(replied[1].value(), 5);
    EXPECT_EQ(sent, (std::vector<std::pair<Format, int>>{{Format::Long, 15}, {Format::Short, 3}}));
}

// A stop excuses the panel's requests it cut short: a reply to one that does
// not come is no silence, one that comes is handled, and what came of one
// begun is let go with it. The stop's own reply, the live view's and a
// request sent after the stop still count.
TEST_F(ShortLink, aStopExcusesWhatThePanelAwaited) {
    link.setReplyTimeout(20);
    int silent = 0;
    QObject::connect(&link, &FrameLink::silent, [&] { ++silent; });
    const char* read = "BB 00 06 64 00 00 00 14 EE 00 ";
    const char* stop = "BB 00 03 64 00 00 00 00 EE 67 ";
    const struct {
        const char* sends; // R a read, W the live view's read, S the stop
        std::string answer;
        std::size_t handled;
        int silents;
    } cases[] = {{"RS", stop, 1, 0},
                 {"RS", std::string(read) + stop, 2, 0},
                 {"RS", std::string(stop) + "BB 00 06 64", 1, 0},
                 {"RRS", std::string(read) + stop, 2, 0},
                 {"RS", "", 0, 1},
                 {"RS", read, 1, 1},
                 {"RWS", stop, 1, 1},
                 {"SR", stop, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.sends) + " answered " + c.answer);
        replies.clear();
        silent = 0;
        for (const char* s = c.sends; *s; ++s) {
            if (*s == 'R')
                link.send({6, 1});
            else if (*s == 'W')
                link.sendWatch({6, 8});
            else
                link.sendStop();
        }
        port.push(fromHex(c.answer.c_str()));
        ASSERT_TRUE(QTest::qWaitFor([&] { return !link.awaiting(); }, 2000));
        pumpEvents();
        EXPECT_EQ(replies.size(), c.handled);
        EXPECT_EQ(silent, c.silents);
        EXPECT_EQ(link.threshold(), 10);
    }
}

// The live view's replies go to it alone and stay out of the echo, also
// when they come in one block with the panel's.
TEST_F(ShortLink, theLiveViewsRepliesAreItsOwn) {
    std::vector<Reply> watched;
    QObject::connect(&link, &FrameLink::watched, [&](const Reply& r) { watched.push_back(r); });
    link.send({6, 1});
    link.sendWatch({6, 8});
    port.push(fromHex("BB 00 06 64 00 00 00 14 EE 00 BB 00 06 64 00 00 00 2A EE 00"));
    pumpEvents();
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(replies[0].value(), 20);
    ASSERT_EQ(watched.size(), 1u);
    EXPECT_EQ(watched[0].value(), 42);
    EXPECT_EQ(link.rxEcho().size(), 40);
}

namespace {
// What the driver does with one request: answers it whole, in pieces, after
// noise, not at all, after the timeout, with a wrong status, or with a stray
// reply before it.
enum class Fault { Clean, Split, Noise, Dropped, Late, BadStatus, Stray, kCount };

// Never out of step: after any mix of faults, with stops pressed in
// between, one clean request is answered, and only its reply is handed on
// as the answer to it. `codes` are the link's requests, `stray` a code none
// of them has, `last` the clean request.
void neverOutOfStep(LinkCase& t, const std::array<std::uint8_t, 4>& codes, std::uint8_t stray,
                    std::uint8_t last) {
    FrameLink& link = t.link;
    std::vector<Reply>& replies = t.replies;
    const Format format = link.format();
    std::vector<std::uint8_t> data(std::size_t(formatInfo(format).frameLength - 6), 0);
    data.back() = 9;
    link.setReplyTimeout(15);
    QRandomGenerator random(33);
    const auto bytesOf = [](const Bytes& b) {
        return QByteArray(reinterpret_cast<const char*>(b.data()), int(b.size()));
    };
    for (int schedule = 0; schedule < 60; ++schedule) {
        SCOPED_TRACE(schedule);
        for (int step = 0; step < 6; ++step) {
            const std::uint8_t code = codes[random.bounded(4)];
            const bool stop = random.bounded(4) == 0;
            link.send({code});
            if (stop)
                link.sendStop();
            QByteArray answer = bytesOf(replyFrame(format, code, data));
            if (stop)
                answer += bytesOf(replyFrame(Format::Short, cmd::Stop, {}));
            const auto fault = static_cast<Fault>(random.bounded(int(Fault::kCount)));
            if (fault == Fault::Dropped)
                continue;
            if (fault == Fault::Late) {
                ASSERT_TRUE(QTest::qWaitFor([&] { return !link.awaiting(); }, 2000));
            }
            if (fault == Fault::BadStatus)
                answer[3] = char(0x65);
            if (fault == Fault::Stray)
                answer.prepend(bytesOf(replyFrame(format, stray, {1, 2, 3, 4})));
            if (fault == Fault::Noise) {
                QByteArray noise(int(random.bounded(1, 12)), '\0');
                for (char& c : noise)
                    c = static_cast<char>(random.bounded(256));
                answer.prepend(noise);
            }
            // Split or not, the bytes come in pieces of any size.
            const int piece = fault == Fault::Split ? int(random.bounded(1, 8)) : answer.size();
            replies.clear();
            for (int at = 0; at < answer.size(); at += piece) {
                t.port.push(answer.mid(at, piece));
                pumpEvents(1);
            }
            pumpEvents();
            // A reply that came in time is handed on, whatever came with it.
            if (fault != Fault::Late) {
                EXPECT_TRUE(std::any_of(replies.begin(), replies.end(), [code](const Reply& r) {
                    return r.code == code;
                })) << int(fault);
            }
            pumpEvents();
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return !link.awaiting(); }, 2000));
        replies.clear();
        link.send({last, 8});
        const Bytes clean = replyFrame(format, last, {0, 1, 2, 3, 4, 5, 6});
        const int piece = int(random.bounded(1, 11));
        for (std::size_t at = 0; at < clean.size(); at += std::size_t(piece)) {
            t.port.push(bytesOf(clean).mid(int(at), piece));
            pumpEvents(1);
        }
        pumpEvents();
        ASSERT_EQ(replies.size(), 1u);
        EXPECT_EQ(replies[0].code, last);
        EXPECT_EQ(replies[0].fields, parseReply(format, clean.data(), clean.size(), true).fields);
        EXPECT_EQ(replies[0].failed, 0);
        EXPECT_FALSE(link.awaiting());
    }
}
} // namespace

TEST_F(ShortLink, neverOutOfStepAfterAnyMixOfFaults) {
    neverOutOfStep(*this, {5, 6, 12, 1}, 14, 6);
}

// The table link's requests are 13-byte frames, its stop a 10-byte one.
TEST_F(LongLink, neverOutOfStepAfterAnyMixOfFaults) {
    neverOutOfStep(*this, {15, 4, 14, 15}, 7, 15);
}

// The blocking face under each policy: bytes waiting before a request are
// dropped or kept, a faulty reply is refused or handed on, and a reply that
// does not come ends as silence, with what came, or as the line's loss.
TEST(Requester, askEndsAsItsPoliciesSay) {
    using Policy = Requester::Policy;
    using Outcome = Requester::Answer::Outcome;
    const QByteArray stale = fromHex("BB 00 06 64 00 00 00 01 EE 00");
    const QByteArray fresh = fromHex("BB 00 06 64 00 00 00 02 EE 00");
    const QByteArray faulty = fromHex("BB 00 06 64 00 00 00 02 EF 00");
    const struct {
        Policy::Stale stale;
        Policy::Faulty faulty;
        QByteArray waiting, answer;
        Outcome outcome;
        int value; // the reply's, or how many bytes came
    } cases[] = {
        {Policy::Stale::Dropped, Policy::Faulty::Refused, stale, fresh, Outcome::Replied, 2},
        {Policy::Stale::Kept, Policy::Faulty::Refused, stale, fresh, Outcome::Replied, 1},
        {Policy::Stale::Dropped, Policy::Faulty::Refused, {}, faulty, Outcome::Faulty, 2},
        {Policy::Stale::Dropped, Policy::Faulty::Handed, {}, faulty, Outcome::Replied, 2},
        {Policy::Stale::Dropped, Policy::Faulty::Refused, stale, fresh.left(9), Outcome::Silent, 9},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(hexOf(c.waiting + c.answer).toStdString());
        FakeCommControl port;
        port.setPortOpen(true);
        port.answer = [&c](const QByteArray&) { return c.answer; };
        port.push(c.waiting);
        Requester requester(Format::Short, port, {30, c.stale, c.faulty});
        const Requester::Answer a = requester.ask(Format::Short, {6, 1});
        EXPECT_TRUE(a.sent);
        EXPECT_EQ(a.outcome, c.outcome);
        EXPECT_EQ(c.outcome == Outcome::Silent ? int(a.came.size()) : *a.parsed.value(), c.value);
    }
    FakeCommControl port;
    port.setPortOpen(true);
    Requester requester(Format::Short, port, {1000, {}, {}});
    QTimer::singleShot(10, &port, [&port] { port.lose(); });
    const Requester::Answer a = requester.ask(Format::Short, {6, 1});
    EXPECT_EQ(a.outcome, Outcome::Lost);
    EXPECT_EQ(a.failure.kind, PortFailure::Kind::Lost);
}
