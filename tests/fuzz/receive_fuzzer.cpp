// Fuzz target: one frame link's receive procedure, driven through the fake
// port control. The input chooses the frame format, the trailer check, the
// read size, and a list of steps: chunks of bytes from the driver (also
// floods, replies to what was sent, and chunks that arrive during a pause or
// while a reply is being handled), receive thresholds (0, 10, 13 and others),
// sends, stops (the 10-byte frame on either link), clears, a lost and
// reopened device, events of another kind. The bytes every step puts on the
// line and the commands sent are recorded here, and after every event each
// reply handed on and the RX echo are checked against a model of the reply
// framer: a reply is the frame's worth of the command it answers from a
// reply header whose code was sent and not answered yet and whose status or
// trailer is right; a header without that frame's worth behind it waits for
// the rest (as long as the shortest awaited until its code is in, the link's
// own for a code nothing awaits) while a shorter reply after it may be
// found, every other byte is skipped.
//
// Input layout: byte 0 is the set-up (bit 0: 13-byte frames; bit 1: no
// trailer check; bit 2: InputLen 0, all waiting bytes in one read); then
// steps, each a step byte (its value modulo 12 picks the step) followed by
// the step's operands. Reads past the end give 0.

#include "core/commands.h"
#include "core/frame.h"
#include "link/frame_link.h"
#include "tests/fuzz/fuzz_check.h"
#include "tests/support/link_harness.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <optional>
#include <utility>
#include <vector>

using namespace stepdrive;
using stepdrive::fuzz::require;

namespace {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : p_(data), end_(data + size) {}
    bool done() const { return p_ == end_; }
    std::uint8_t byte() { return p_ == end_ ? 0 : *p_++; }
    Bytes bytes(std::size_t count) {
        count = std::min(count, static_cast<std::size_t>(end_ - p_));
        Bytes taken(p_, p_ + count);
        p_ += count;
        return taken;
    }
    std::array<std::uint8_t, 9> args() {
        std::array<std::uint8_t, 9> a{};
        for (auto& b : a)
            b = byte();
        return a;
    }

private:
    const std::uint8_t* p_;
    const std::uint8_t* end_;
};

// The echo text of bytes [first, first + count): "XX  " per byte.
QString echoOf(const Bytes& bytes, std::size_t first, std::size_t count) {
    return QString::fromStdString(hexEcho(bytes.data() + first, count));
}

class Run {
public:
    Run(Format format, bool checkTrailer, int inputLen)
        : harness(format, &pause.gate()), checkTrailer_(checkTrailer) {
        port.setInputLen(inputLen);
        harness.checkTrailer = checkTrailer;
        // No reply counts as missing within a run.
        link.setReplyTimeout(1 << 30);
        harness.beforeReceive = [this] { beforeReceive(); };
        harness.onReply = [this](const Reply& r) { onReply(r); };
        harness.afterReceive = [this] { afterReceive(); };
    }

    void step(Input& in) {
        switch (in.byte() % 12) {
        case 0:
            push(in.bytes(in.byte() % 16));
            break;
        case 1:
            if (in.byte() & 1) {
                // A reply, maybe faulty, to a code of the input's choice.
                Bytes reply = replyFrame(link.format(), in.byte(), in.bytes(7));
                reply[3] ^= in.byte() & 1;
                push(reply);
            } else {
                push(in.bytes(in.byte()));
            }
            break;
        case 2: {
            // Noise: many bytes from a few.
            Bytes noise(std::size_t{in.byte()} * 16);
            std::uint32_t x = 0x9E3779B9u ^ in.byte();
            for (auto& b : noise) {
                x ^= x << 13;
                x ^= x >> 17;
                x ^= x << 5;
                b = static_cast<std::uint8_t>(x);
            }
            push(noise);
            break;
        }
        case 3: {
            const std::uint8_t b = in.byte();
            const int thresholds[] = {0, 10, 13, (b >> 2) - 8};
            port.setRThreshold(thresholds[b % 4]);
            break;
        }
        case 4:
            send(in.args());
            break;
        case 5:
            clear();
            break;
        case 6: {
            // Bytes that arrive during a pause wait for its end.
            pause.gate().begin();
            const int before = events_;
            push(in.bytes(in.byte() % 32));
            settle();
            require(events_ == before, "no receive event during a pause");
            pause.gate().end();
            break;
        }
        case 7:
            chainHow_ = in.byte();
            chainArgs_ = in.args();
            chainArmed_ = true;
            break;
        case 8:
            lateChunk_ = in.bytes(in.byte() % 32);
            lateArmed_ = true;
            break;
        case 9:
            if (port.PortOpen()) {
                lose();
            } else {
                port.setPortOpen(true);
            }
            break;
        case 10:
            port.raiseOther(1);
            break;
        case 11:
            stop();
            break;
        }
        settle();
    }

    // Lets every queued receive check run, and the events they raise.
    void settle() {
        int before;
        do {
            before = events_;
            QCoreApplication::sendPostedEvents();
        } while (events_ != before);
        require(port.InBufferCount() == static_cast<int>(port.PortOpen() ? waiting_.size() : 0),
                "the port holds what was pushed and not read");
        if (port.PortOpen() && !pause.gate().pausing() && port.RThreshold() > 0)
            require(port.InBufferCount() < port.RThreshold(),
                    "waiting bytes that reach the threshold raise an event");
        checkEcho();
    }

private:
    void push(const Bytes& bytes) {
        if (!port.PortOpen() || bytes.empty())
            return; // nothing arrives on a closed line
        waiting_.insert(waiting_.end(), bytes.begin(), bytes.end());
        port.push(QByteArray(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<qsizetype>(bytes.size())));
    }

    void lose() {
        port.lose();
        waiting_.clear();
        // What was awaited and kept for a reply begun is let go unseen.
        awaited_.clear();
        kept_.clear();
    }

    void clear() {
        link.clearRx();
        sinceClear_.clear();
    }

    // A frame of its own, or one that follows another of the same press: the
    // latter is not even built once the port has gone.
    void send(const std::array<std::uint8_t, 9>& a, bool following = false) {
        const std::size_t sentBefore = port.sent.size();
        const bool open = port.PortOpen();
        const bool sent =
            following ? link.sendFollowing({a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]})
                      : link.send({a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]});
        require(sent == open, "a send succeeds exactly when the port is open");
        require(port.sent.size() == sentBefore + (open ? 1 : 0),
                "a send writes one block on an open port, none on a closed one");
        if (following && !open)
            return;
        if (link.format() == Format::Short)
            sinceClear_.clear();
        if (open) {
            checkFrame(a);
            awaited_.push_back({a[0], link.format()});
        }
    }

    // The motor stop: the 10-byte frame on either link, its reply awaited
    // as a 10-byte one.
    void stop() {
        const std::size_t sentBefore = port.sent.size();
        const bool open = port.PortOpen();
        std::optional<bool> told;
        link.sendStop([&](bool sent) { told = sent; });
        require(told == open, "a stop is told at once whether it went out");
        require(port.sent.size() == sentBefore + (open ? 1 : 0),
                "a stop writes one block on an open port, none on a closed one");
        if (link.format() == Format::Short)
            sinceClear_.clear();
        if (!open)
            return;
        const QByteArray& sent = port.sent.back().bytes;
        const Bytes block(sent.begin(), sent.end());
        require(block == commandBlock(Format::Short, {cmd::Stop}),
                "the stop is the 10-byte stop block on every link");
        require(link.txEcho() == echoOf(block, 0, 10), "the TX echo is the stop frame");
        awaited_.push_back({cmd::Stop, Format::Short});
        require(port.RThreshold() <= wanted(), "the port waits for no more than the stop's reply");
    }

    void checkFrame(const std::array<std::uint8_t, 9>& a) const {
        const FormatInfo& f = formatInfo(link.format());
        const QByteArray& sent = port.sent.back().bytes;
        const Bytes block(sent.begin(), sent.end());
        require(block == commandBlock(link.format(), {a.begin(), a.begin() + f.argumentCount}),
                "the whole block goes on the line: the frame of the arguments, two zero bytes");
        require(link.txEcho() == echoOf(block, 0, static_cast<std::size_t>(f.frameLength)),
                "the TX echo is the frame");
    }

    void checkEcho() const {
        const std::size_t shown =
            std::min(sinceClear_.size(), static_cast<std::size_t>(FrameLink::kRxEchoShownBytes));
        require(link.rxEcho() == echoOf(sinceClear_, sinceClear_.size() - shown, shown),
                "the RX echo shows the newest bytes since the last clear");
    }

    // What the event will hand on, worked out before the link reads it.
    void beforeReceive() {
        ++events_;
        receiving_ = port.CommEvent() == CommControl::comEvReceive;
        thresholdBefore_ = port.RThreshold();
        wrongSeen_ = 0;
        shown_.clear();
        expected_ =
            receiving_ && !waiting_.empty() ? frame(waiting_, shown_) : std::vector<Bytes>{};
        if (receiving_)
            waiting_.clear();
        handled_ = 0;
    }

    void echoed() {
        sinceClear_.insert(sinceClear_.end(), shown_.begin(), shown_.end());
        checkEcho();
    }

    void onReply(const Reply& reply) {
        require(handled_ < expected_.size(), "one reply handling per reply found");
        require(port.RThreshold() == 0, "no receive event while a reply is handled");
        if (handled_ == 0)
            echoed(); // the echo comes before the first reply is handled
        wrongSeen_ += reply.wrongBytes();
        checkReply(reply, expected_[handled_++]);
        actAsAChain();
    }

    void afterReceive() {
        const std::vector<Bytes> replies = expected_;
        require(handled_ == replies.size(), "every reply found is handled");
        if (!receiving_) {
            require(port.RThreshold() == thresholdBefore_, "other events change nothing");
            return;
        }
        if (handled_ == 0)
            echoed();
        require(port.RThreshold() == link.threshold(), "the threshold is restored");
        require(link.threshold() == wanted(), "the threshold is what a reply begun lacks");
        qsizetype wrong = 0;
        for (const Bytes& r : replies)
            wrong += parseReply(formatOf(r), r.data(), r.size(), checkTrailer_).wrongBytes();
        require(wrongSeen_ == wrong, "every wrong status or trailer byte is counted");
    }

    // The format of a reply of `length` bytes.
    static Format formatOf(const Bytes& reply) {
        return reply.size() == 10 ? Format::Short : Format::Long;
    }

    // The length of a reply beginning at `at` of `bytes`: that of the
    // oldest command awaited with its code; until its code is in, that of
    // the shortest awaited; the link's own when none is.
    std::size_t lengthAt(const Bytes& bytes, std::size_t at) const {
        std::optional<Format> format;
        for (const auto& [code, f] : awaited_) {
            if (bytes.size() - at > 2) {
                if (code == bytes[at + 2]) {
                    format = f;
                    break;
                }
            } else if (!format || f == Format::Short) {
                format = f;
            }
        }
        return static_cast<std::size_t>(formatInfo(format.value_or(link.format())).frameLength);
    }

    // What the reply ending soonest lacks: one begun in what is kept, or the
    // shortest awaited.
    int wanted() const {
        std::size_t lacking = lengthAt({}, 0);
        for (std::size_t at = 0; at < kept_.size(); ++at)
            if (kept_[at] == kReplyHeader && kept_.size() - at < lengthAt(kept_, at))
                lacking = std::min(lacking, lengthAt(kept_, at) - (kept_.size() - at));
        return static_cast<int>(lacking);
    }

    // The model of the framer: the replies in what was kept and `got`, the
    // bytes the echo shows in `shown`; from the first header that may still
    // begin a reply on, bytes are kept.
    std::vector<Bytes> frame(const Bytes& got, Bytes& shown) {
        Bytes all = kept_;
        all.insert(all.end(), got.begin(), got.end());
        std::vector<Bytes> replies;
        std::optional<std::size_t> begun;
        std::size_t at = 0;
        while (at < all.size()) {
            if (all[at] != kReplyHeader) {
                ++at;
                continue;
            }
            const std::size_t length = lengthAt(all, at);
            if (all.size() - at < length) {
                begun = begun.value_or(at);
                ++at;
                continue;
            }
            const Bytes candidate(all.begin() + static_cast<std::ptrdiff_t>(at),
                                  all.begin() + static_cast<std::ptrdiff_t>(at + length));
            const auto awaited = std::find_if(awaited_.begin(), awaited_.end(), [&](const auto& a) {
                return a.first == candidate[2];
            });
            const bool plausible =
                candidate[3] == kReplyStatus || candidate[length - 2] == kTrailer;
            if (!plausible || awaited == awaited_.end()) {
                ++at;
                continue;
            }
            awaited_.erase(awaited);
            replies.push_back(candidate);
            begun.reset();
            at += length;
        }
        // Every byte before those kept is shown: skipped or a reply.
        const std::size_t keptFrom = begun.value_or(all.size());
        shown.assign(all.begin(), all.begin() + static_cast<std::ptrdiff_t>(keptFrom));
        kept_.assign(all.begin() + static_cast<std::ptrdiff_t>(keptFrom), all.end());
        // With nothing awaited no byte kept can begin a reply.
        if (awaited_.empty()) {
            shown.insert(shown.end(), kept_.begin(), kept_.end());
            kept_.clear();
        }
        return replies;
    }

    // What a read-back chain does from its reply handling: pause (the cable
    // may be pulled meanwhile), clear the RX echo (the table panel does),
    // send the next request; the reply to it may come in before the handler
    // returns.
    void actAsAChain() {
        if (chainArmed_) {
            chainArmed_ = false;
            pause.sleep(100);
            if (chainHow_ & 4)
                lose();
            if (chainHow_ & 1)
                clear();
            if (chainHow_ & 8)
                stop();
            else
                send(chainArgs_, chainHow_ & 2);
        }
        if (lateArmed_) {
            lateArmed_ = false;
            push(lateChunk_);
        }
    }

    // Each reply is handed on as the reply parser reads its bytes.
    void checkReply(const Reply& reply, const Bytes& got) const {
        const Reply expected = parseReply(formatOf(got), got.data(), got.size(), checkTrailer_);
        require(reply.code == expected.code && reply.statusA == expected.statusA &&
                    reply.statusB == expected.statusB && reply.fields == expected.fields,
                "a reply is its own bytes, parsed");
    }

    test::RecordingPause pause;
    test::LinkHarness harness;
    test::FakeCommControl& port = harness.port;
    FrameLink& link = harness.link;
    const bool checkTrailer_;
    Bytes waiting_;    // pushed and not read yet
    Bytes sinceClear_; // echoed since the RX echo was last cleared
    Bytes kept_;       // read and kept for a reply begun
    // The commands sent and not answered yet: code and format, oldest first.
    std::deque<std::pair<std::uint8_t, Format>> awaited_;
    int events_ = 0;
    // The event being handled: its kind, what it should hand on and show.
    bool receiving_ = false;
    int thresholdBefore_ = 0;
    qsizetype wrongSeen_ = 0;
    Bytes shown_;
    std::vector<Bytes> expected_;
    std::size_t handled_ = 0;
    bool chainArmed_ = false;
    // Bit 0: clear first; bit 1: as a following frame; bit 2: the device is
    // lost during the pause; bit 3: a stop instead.
    std::uint8_t chainHow_ = 0;
    std::array<std::uint8_t, 9> chainArgs_{};
    bool lateArmed_ = false;
    Bytes lateChunk_;
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Input in(data, size);
    const std::uint8_t setup = in.byte();
    Run run((setup & 1) ? Format::Long : Format::Short, !(setup & 2), (setup & 4) ? 0 : 1);
    run.settle();
    while (!in.done())
        run.step(in);
    return 0;
}
