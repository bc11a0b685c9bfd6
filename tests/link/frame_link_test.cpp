#include "link/frame_link.h"
#include "tests/support/fakes.h"

#include <gtest/gtest.h>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

struct LinkCase : ::testing::Test {
    explicit LinkCase(Format format) : link(format, port) {}
    FakeCommControl port;
    FrameLink link;
    std::vector<Reply> replies;
    int events = 0;
    bool checkTrailer = true;

    // The wrong header, status and trailer bytes of the replies handled.
    int wrong() const {
        int n = 0;
        for (const Reply& r : replies)
            n += r.wrongBytes();
        return n;
    }

    void SetUp() override {
        port.setInputLen(1);
        port.setPortOpen(true);
        port.setRThreshold(link.threshold());
        QObject::connect(&port, &CommControl::OnComm, [this] {
            ++events;
            link.receive([this](const Reply& r) { replies.push_back(r); }, checkTrailer);
        });
    }
};

struct ShortLink : LinkCase {
    ShortLink() : LinkCase(Format::Short) {}
};
struct LongLink : LinkCase {
    LongLink() : LinkCase(Format::Long) {}
};

} // namespace

TEST_F(ShortLink, sendWritesTheWholeBufferAndEchoesTheFrame) {
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
                 {"BA 00 06 65 00 00 03 20 EF 0C", 6, 800, 3}};
    for (const auto& c : cases) {
        replies.clear();
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

TEST_F(ShortLink, twentyBytesAreEchoedWholeAndOnlyTheFirstFrameIsChecked) {
    port.push(fromHex("BB 00 06 64 FF FF FF FF EE 00 00 11 22 33 44 55 66 77 88 99"));
    pumpEvents();
    EXPECT_EQ(wrong(), 0);
    ASSERT_EQ(replies.size(), 1u);
    EXPECT_EQ(link.rxEcho().size(), 80);
    EXPECT_EQ(replies[0].value(), -1);
    EXPECT_EQ(events, 1);
}

TEST_F(ShortLink, replyArrivingDuringTheHandlerRaisesAnEventOnceThresholdIsBack) {
    QObject::disconnect(&port, &CommControl::OnComm, nullptr, nullptr);
    int handled = 0;
    QObject::connect(&port, &CommControl::OnComm, [&] {
        link.receive([&](const Reply&) {
            if (++handled == 1) {
                // The chain sends its next request; the reply is in before
                // the threshold is restored.
                link.send({6, 2, 0, 0, 0, 0});
                port.push(fromHex("BB 00 06 64 00 00 00 04 EE 00"));
            }
        });
    });
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
    FakeCommControl gated(QStringLiteral("MSC"), &gate);
    gated.setInputLen(1);
    gated.setPortOpen(true);
    gated.setRThreshold(10);
    int count = 0;
    QObject::connect(&gated, &CommControl::OnComm, [&] { ++count; });
    // A pause inside a pause: events wait for the outer one to end.
    gate.begin();
    gate.begin();
    gated.push(fromHex("BB 00 07 64 00 00 00 00 EE 0C"));
    pumpEvents();
    gate.end();
    pumpEvents();
    EXPECT_EQ(count, 0);
    gate.end();
    pumpEvents();
    EXPECT_EQ(count, 1);
}

TEST_F(ShortLink, otherEventKindsChangeNothing) {
    // A whole reply waits, but the event is not "data received".
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
    QObject::disconnect(&port, &CommControl::OnComm, nullptr, nullptr);
    int thresholdSeen = -1;
    QObject::connect(&port, &CommControl::OnComm, [&] {
        link.receive([&](const Reply&) {
            QMetaObject::invokeMethod(
                &port, [&] { thresholdSeen = port.RThreshold(); }, Qt::QueuedConnection);
        });
        EXPECT_NE(thresholdSeen, -1) << "the queued call waited for the handler to return";
    });
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
    // One reply per event: noise holds no reply header past its first frame.
    ASSERT_EQ(replies.size(), 65u);
    EXPECT_EQ(replies.front().value(0), 800);
    EXPECT_EQ(replies.front().value(1), 10);
    EXPECT_EQ(replies.front().value(2), -100);
    // The box shows the newest bytes, as many as it keeps.
    EXPECT_EQ(link.rxEcho().size(), 4 * FrameLink::kRxEchoShownBytes);
    EXPECT_TRUE(link.rxEcho().endsWith(QString::fromStdString(
        hexEcho(reinterpret_cast<const std::uint8_t*>(noise.constData()) + noise.size() - 3, 3))));
}
