#pragma once
// Sends command frames on one line and finds the replies to them: the frames
// out, the reply framer, the replies awaited and their clock, under explicit
// policies. It has two faces: the windows send and take the replies their
// receive events bring (through FrameLink); the command line asks and waits
// for the answer.

#include "core/frame.h"
#include "core/reply_framer.h"
#include "link/awaited_replies.h"
#include "link/comm_control.h"

#include <QObject>
#include <cstdint>
#include <vector>

namespace stepdrive {

class Requester : public QObject {
    Q_OBJECT
public:
    using Asker = AwaitedReplies::Asker;

    struct Policy {
        // How long a frame sent waits for its reply (the clock holds while a
        // pause runs or a box waits for the operator).
        int timeoutMs = AwaitedReplies::kTimeoutMs;
        // The bytes waiting when a frame goes out: kept (a reply begun may
        // still end), or dropped (none of them answers it).
        enum class Stale { Kept, Dropped } stale = Stale::Kept;
        // A reply to the frame with a wrong status or trailer: handed on with
        // its faults marked, or the answer is that fault.
        enum class Faulty { Handed, Refused } faulty = Faulty::Handed;
    };

    // Replies of an unawaited code are taken to be of `format`.
    Requester(Format format, CommControl& port, Policy policy, QObject* parent = nullptr);

    CommControl& port() { return port_; }
    const Policy& policy() const { return policy_; }
    void setTimeout(int ms) { awaited_.setTimeout(ms); }

    // Writes a command block of `format` and awaits the reply to its code;
    // `excusing` (a stop) first excuses the replies the panel awaited. False
    // when it did not go out (the port has said why).
    bool request(Format format, const Bytes& block, Asker asker, bool excusing = false);
    // Whether a frame sent still awaits its reply.
    bool awaiting() const { return awaited_.any(); }
    // How many bytes a reply begun still lacks (the receive threshold).
    int wanted() const { return framer_.wanted(); }

    // The asynchronous face: reads every waiting byte and returns what came,
    // in order: each reply with its asker (`claimant`), and the bytes that
    // answered nothing awaited. Bytes that may begin a reply are kept until
    // the rest comes; with nothing awaited, they are handed back at once.
    std::vector<ReplyFramer::Piece> readWaiting(bool checkTrailer = true);
    // The bytes kept for a reply begun, handed back; none are kept afterwards.
    Bytes flush() { return framer_.flush(); }

    // The blocking face: what became of one frame asked.
    struct Answer {
        enum class Outcome {
            Replied, // `reply` came
            Faulty,  // `reply` came with a wrong status or trailer (Refused)
            Silent,  // no reply in time; `came` is all that came meanwhile
            Lost,    // the line failed, as `failure` says
        };
        Outcome outcome = Outcome::Silent;
        Bytes block; // the command block
        bool sent = false;
        Bytes reply;
        Reply parsed;
        Bytes came;
        PortFailure failure;
    };
    // Sends cmd, opt1 and the data bytes as one command block, then waits in
    // a local event loop until its reply comes, the time runs out or the
    // line fails.
    Answer ask(Format format, const std::vector<std::uint8_t>& args);

signals:
    // As AwaitedReplies says them.
    void silent(bool garbled);
    void abandoned();
    void excused();

private:
    // Bytes kept from an earlier opening of the port belong to no reply.
    void forgetEarlierOpenings();

    CommControl& port_;
    Policy policy_;
    AwaitedReplies awaited_;
    ReplyFramer framer_;
    int framerOpening_ = 0;
};

} // namespace stepdrive
