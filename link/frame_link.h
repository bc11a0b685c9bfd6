#pragma once
// The link one panel talks through: its port control, the frames it builds,
// its TX and RX echo texts and the receive procedure that every receive
// handler starts with; the requester's asynchronous face. The live view
// shares the link for its own questions. One instance per panel.

#include "core/frame.h"
#include "link/echo_texts.h"
#include "link/requester.h"

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <vector>

namespace stepdrive {

class CommControl;

class FrameLink : public QObject {
    Q_OBJECT
public:
    FrameLink(Format format, CommControl& port, QObject* parent = nullptr);

    Format format() const { return format_; }
    // The receive threshold the panel waits with: the bytes a whole reply
    // still lacks (a frame's length when none was begun).
    int threshold() const;

    // Builds, echoes and writes one command frame: cmd, opt1 and the data
    // bytes (4 on the 10-byte panels; vel1 vel0 acc1 acc0 pos2 pos1 pos0 on
    // the 13-byte panel). The 10-byte panels also clear the RX echo. False
    // when the port control could not write it (it has said why).
    bool send(std::vector<std::uint8_t> args);
    // The same for a frame that follows another of one button press: the
    // next frame of a write sequence, the next request of a read-back chain.
    // Once the port has gone, nothing more is sent and nothing is reported
    // again: the operator hears of the lost line once.
    bool sendFollowing(std::vector<std::uint8_t> args);
    // `send` for the first frame of a press, `sendFollowing` for the others.
    bool sendInPress(bool first, std::vector<std::uint8_t> args) {
        return first ? send(std::move(args)) : sendFollowing(std::move(args));
    }
    // A frame of the live view, which watches the driver over this link: it
    // is neither echoed nor clears the RX echo, and its reply goes to
    // `watched` alone, never to the panel's handling nor its echo.
    bool sendWatch(std::vector<std::uint8_t> args);

    // The motor stop goes out at the next frame slot: at once when no pause
    // runs, otherwise as soon as the pause running ends, before any other
    // frame; `done` then learns whether it went out. A sequence or read-back
    // under way sends nothing more once it sees `stops()` change. It is the
    // 10-byte stop on every link (the driver takes both kinds of frame on
    // one line); the replies the panel awaited when it went out are excused.
    void sendStop(std::function<void(bool sent)> done = {});
    // How many stops were asked for on this link.
    int stops() const { return stops_; }

    // The receive procedure: on a data-received event, switches the
    // threshold off, reads and echoes every waiting byte, finds the replies
    // in them, hands each to `handle` (`checkTrailer`: whether a wrong
    // trailer makes it faulty), lets pending events run and restores the
    // threshold. Bytes that are no reply to a frame awaited are echoed and
    // skipped; a reply begun is kept until the rest comes.
    void receive(const std::function<void(const Reply&)>& handle, bool checkTrailer = true);

    // How long a frame sent waits for its reply before the driver counts as
    // silent.
    static constexpr int kReplyTimeoutMs = AwaitedReplies::kTimeoutMs;
    void setReplyTimeout(int ms) { requester_.setTimeout(ms); }
    // Whether a frame sent still awaits its reply; until none does, `silent`
    // or `abandoned` may still come.
    bool awaiting() const { return requester_.awaiting(); }

    void clearRx();

    const QString& txEcho() const { return echo_.tx(); }
    // The RX echo as the RX box shows it: every byte received since the last
    // clear, or, past kRxEchoShownBytes of them, the newest that many.
    const QString& rxEcho() const { return echo_.rx(); }
    static constexpr int kRxEchoShownBytes = EchoTexts::kRxShownBytes;

signals:
    void txEchoChanged(const QString& text);
    void rxEchoChanged(const QString& text);
    // Frames went out and no readable reply came back within the reply
    // timeout while the port stayed open: raised once, then nothing is
    // awaited. `garbled` when bytes did come but not as a reply to what was
    // sent (noise on the line, a reply for another command).
    void silent(bool garbled);
    // The line closed or went away while replies were awaited: they will not
    // come, and nothing is awaited any more. Its loss has been said apart.
    void abandoned();
    // A reply has been handled by the panel.
    void replied(const stepdrive::Reply& reply);
    // A frame of `format` with `cmd` went out on the port: the panel's, the
    // stop (a 10-byte frame on every link) or the live view's.
    void frameSent(stepdrive::Format format, std::uint8_t cmd);
    // The reply to a frame of the live view.
    void watched(const stepdrive::Reply& reply);

private:
    using Asker = Requester::Asker;
    // Echoes (a panel's) and writes a command block of `format`, and awaits
    // its reply; false when it did not go out. `stop`: see Requester::request.
    bool put(Format format, const Bytes& block, Asker asker, bool stop = false);
    // Writes `args` as a frame of the link's format and awaits its reply.
    bool write(const std::vector<std::uint8_t>& args, Asker asker);
    void echoReceived(const Bytes& bytes);
    void sendPendingStop();

    Format format_;
    CommControl& port_;
    EchoTexts echo_;
    Requester requester_;
    int stops_ = 0;
    // A stop asked for while a pause runs, and who wants to know it went out.
    bool stopPending_ = false;
    std::vector<std::function<void(bool)>> pendingStopDone_;
};

} // namespace stepdrive
