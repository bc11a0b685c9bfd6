#pragma once
// One command and its reply, the way a script needs it: the requester's
// blocking face, with what was waiting before each command dropped and a
// reply with a wrong status or trailer refused, and what went wrong in the
// command line's words. Nothing here pauses between commands; the session
// does.

#include "core/frame.h"
#include "link/requester.h"

#include <QString>
#include <vector>

namespace stepdrive::cli {

// How stepdrive-cli ends.
enum ExitStatus : int {
    kDone = 0,
    kUsageError = 1,      // a bad command line or profile; nothing was sent
    kPortError = 2,       // the port can't be opened (or is lost)
    kReadBackDiffers = 3, // the driver holds other values than were written
    kNoReply = 4,         // no whole reply in time
    kBadReply = 5,        // a reply with a wrong header, code, status or trailer
    kOutputError = 6,     // standard output or the output file could not be written
    kInterrupted = 130,   // SIGINT or SIGTERM
};

// What ends a run early: its exit status and what to tell the user.
struct Failure {
    ExitStatus status;
    QString message;
    bool whole = false; // the message says what reached the drive itself
};

class Exchange {
public:
    // `port` is open; `timeoutMs` bounds the wait for each reply.
    Exchange(CommControl& port, int timeoutMs);

    // Sends cmd, opt1 and the data bytes as one command block and returns
    // the reply frame, found wherever it stands in what comes (bytes before
    // it that are no reply to it are skipped). Throws Failure when no reply
    // carrying its code comes whole in time, or it comes with a wrong status
    // or trailer; the reply's checksum is not checked.
    Bytes ask(Format format, const std::vector<std::uint8_t>& args);
    // How many command blocks went out.
    int framesSent() const { return framesSent_; }
    // The line it talks over.
    CommControl& port() { return requester_.port(); }

private:
    Requester requester_;
    int framesSent_ = 0;
};

} // namespace stepdrive::cli
