#include "link/frame_link.h"

#include "core/commands.h"
#include "link/comm_control.h"
#include "link/pause.h"

#include <QCoreApplication>
#include <utility>

namespace stepdrive {

// The windows keep what may end a reply begun, and hand a faulty reply on
// marked: the panel says each wrong byte.
FrameLink::FrameLink(Format format, CommControl& port, QObject* parent)
    : QObject(parent), format_(format), port_(port),
      requester_(format, port,
                 {AwaitedReplies::kTimeoutMs, Requester::Policy::Stale::Kept,
                  Requester::Policy::Faulty::Handed}) {
    // What was kept for a reply that did not come whole is shown as it came.
    connect(&requester_, &Requester::silent, this, [this](bool garbled) {
        echoReceived(requester_.flush());
        emit silent(garbled);
    });
    connect(&requester_, &Requester::excused, this, [this] { echoReceived(requester_.flush()); });
    connect(&requester_, &Requester::abandoned, this, &FrameLink::abandoned);
    if (PauseGate* gate = port_.gate())
        connect(gate, &PauseGate::resumed, this, &FrameLink::sendPendingStop);
}

int FrameLink::threshold() const {
    return requester_.wanted();
}

bool FrameLink::send(std::vector<std::uint8_t> args) {
    return write(args, Asker::Panel);
}

bool FrameLink::sendWatch(std::vector<std::uint8_t> args) {
    return write(args, Asker::LiveView);
}

bool FrameLink::sendFollowing(std::vector<std::uint8_t> args) {
    return port_.PortOpen() && send(std::move(args));
}

void FrameLink::sendStop(std::function<void(bool sent)> done) {
    ++stops_;
    // Stops pressed during one pause are one frame; each is told of it.
    stopPending_ = true;
    if (done)
        pendingStopDone_.push_back(std::move(done));
    if (!port_.eventsHeldBack())
        sendPendingStop();
}

void FrameLink::sendPendingStop() {
    if (!std::exchange(stopPending_, false))
        return;
    const auto done = std::exchange(pendingStopDone_, {});
    const bool sent =
        put(Format::Short, commandBlock(Format::Short, {cmd::Stop}), Asker::Panel, true);
    if (sent) {
        // On the table link the port may wait for more than the stop's reply.
        if (port_.RThreshold() > threshold())
            port_.setRThreshold(threshold());
        emit frameSent(Format::Short, cmd::Stop);
    }
    for (const auto& told : done)
        told(sent);
}

bool FrameLink::write(const std::vector<std::uint8_t>& args, Asker asker) {
    const Bytes block = commandBlock(format_, args);
    if (!put(format_, block, asker))
        return false;
    emit frameSent(format_, block[2]);
    return true;
}

bool FrameLink::put(Format format, const Bytes& block, Asker asker, bool stop) {
    if (asker == Asker::Panel) {
        // The two zero bytes that end the block go on the wire but are not
        // echoed.
        echo_.setSent(block.data(), static_cast<std::size_t>(formatInfo(format).frameLength));
        emit txEchoChanged(echo_.tx());
        // On the 10-byte panels the RX echo shows only the reply to this
        // command.
        if (format_ == Format::Short)
            clearRx();
    }

    return requester_.request(format, block, asker, stop);
}

void FrameLink::clearRx() {
    echo_.clearReceived();
    emit rxEchoChanged(echo_.rx());
}

void FrameLink::echoReceived(const Bytes& bytes) {
    if (bytes.empty())
        return;
    echo_.addReceived(bytes.data(), bytes.size());
    emit rxEchoChanged(echo_.rx());
}

void FrameLink::receive(const std::function<void(const Reply&)>& handle, bool checkTrailer) {
    if (port_.CommEvent() != CommControl::comEvReceive)
        return;
    port_.setRThreshold(0);

    const auto pieces = requester_.readWaiting(checkTrailer);
    // The echo shows all of it but the live view's replies, in one append.
    Bytes shown;
    for (const auto& piece : pieces)
        if (!piece.reply || piece.claimant != static_cast<int>(Asker::LiveView))
            shown.insert(shown.end(), piece.bytes.begin(), piece.bytes.end());
    echoReceived(shown);
    for (const auto& piece : pieces) {
        if (!piece.reply)
            continue;
        if (piece.claimant == static_cast<int>(Asker::LiveView)) {
            emit watched(*piece.reply);
            continue;
        }
        handle(*piece.reply);
        emit replied(*piece.reply);
    }

    QCoreApplication::processEvents();
    port_.setRThreshold(threshold());
}

} // namespace stepdrive
