#pragma once
// The link machinery one panel uses: its port control, its transmit buffer,
// its TX and RX echo texts and the receive procedure that every receive
// handler starts with. One instance per panel.

#include "core/frame.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace stepdrive {

class CommControl;

class FrameLink : public QObject {
    Q_OBJECT
public:
    FrameLink(Format format, CommControl& port, QObject* parent = nullptr);

    Format format() const { return format_; }
    // The receive threshold the panel waits with: the frame length.
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
    // A frame of the live view, which watches the driver over this link: it
    // is neither echoed nor clears the RX echo, and its reply goes to
    // `watched` alone, never to the panel's handling nor its echo.
    bool sendWatch(std::vector<std::uint8_t> args);

    // The receive procedure: on a data-received event, switches the
    // threshold off, reads and echoes every waiting byte, checks header,
    // status and (when `checkTrailer`) trailer, hands the reply to `handle`,
    // lets pending events run and restores the threshold. The bytes are
    // taken a frame at a time: the first frame's worth whatever it holds,
    // then each further whole frame that starts with a reply header, so two
    // replies read at once are two replies.
    void receive(const std::function<void(const Reply&)>& handle, bool checkTrailer = true);

    // How long a frame sent waits for its reply before the driver counts as
    // silent.
    static constexpr int kReplyTimeoutMs = 1000;
    void setReplyTimeout(int ms) { replyTimeoutMs_ = ms; }
    // Whether a frame sent still awaits its reply; until none does, `silent`
    // or `abandoned` may still come.
    bool awaiting() const { return !awaiting_.empty(); }

    void clearRx();

    const QString& txEcho() const { return txEcho_; }
    // The RX echo as the RX box shows it: every byte received since the last
    // clear, or, past kRxEchoShownBytes of them, the newest that many.
    const QString& rxEcho() const { return rxEcho_; }
    static constexpr int kRxEchoShownBytes = 1024;

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
    // A reply with `code` has been handled by the panel.
    void replied(std::uint8_t code);
    // The reply to a frame of the live view.
    void watched(const stepdrive::Reply& reply);

private:
    void echoReceived(const QByteArray& bytes);
    // Writes `args` as a frame from `buffer` and awaits its reply.
    bool write(std::vector<std::uint8_t> args, Bytes& buffer, bool watch);
    struct Awaited {
        std::uint8_t code;
        bool watch; // a frame of the live view
    };
    // The oldest frame awaited that a reply carrying `code` answers.
    std::deque<Awaited>::iterator answered(std::uint8_t code);
    void replyOverdue();
    void stopAwaiting();

    Format format_;
    CommControl& port_;
    Bytes buffer_;
    Bytes watchBuffer_; // the live view's frames leave the panel's last one be
    QString txEcho_;
    QString rxEcho_;
    // The command codes of the frames sent and not answered yet, on the
    // port's current opening, oldest first. A reply carries the code it
    // answers, so noise that fills a frame's worth is not taken for one.
    std::deque<Awaited> awaiting_;
    // Bytes came while awaiting that answered nothing or failed a check.
    bool garbled_ = false;
    int awaitingOpening_ = 0;
    int replyTimeoutMs_ = kReplyTimeoutMs;
    QTimer replyTimer_;
};

} // namespace stepdrive
