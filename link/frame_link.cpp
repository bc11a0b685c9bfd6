#include "link/frame_link.h"

#include "core/commands.h"
#include "link/comm_control.h"
#include "link/pause.h"

#include <QCoreApplication>
#include <utility>

namespace stepdrive {

using Asker = AwaitedReplies::Asker;

FrameLink::FrameLink(Format format, CommControl& port, QObject* parent)
    : QObject(parent), format_(format), port_(port),
      awaited_(port, [this] { return port_.InBufferCount() >= threshold(); }),
      framer_(format, &awaited_) {
    // What was kept for a reply that did not come whole is shown as it came.
    connect(&awaited_, &AwaitedReplies::silent, this, [this](bool garbled) {
        echoReceived(framer_.flush());
        emit silent(garbled);
    });
    connect(&awaited_, &AwaitedReplies::excused, this, [this] { echoReceived(framer_.flush()); });
    connect(&awaited_, &AwaitedReplies::abandoned, this, &FrameLink::abandoned);
    // A reply begun on a line that went away never ends: its bytes are let go.
    connect(&port_, &CommControl::lost, this, [this] { framer_.flush(); });
    if (PauseGate* gate = port_.gate())
        connect(gate, &PauseGate::resumed, this, &FrameLink::sendPendingStop);
}

int FrameLink::threshold() const {
    return framer_.wanted();
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
    const bool sent = put(Format::Short, commandBlock(Format::Short, {cmd::Stop}), Asker::Panel);
    if (sent) {
        // What the stop cut short may still be answered, but is not missed.
        awaited_.excusePanel();
        awaited_.add(cmd::Stop, Asker::Panel, Format::Short);
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
    const std::uint8_t cmd = block[2];
    awaited_.add(cmd, asker, format_);
    emit frameSent(format_, cmd);
    return true;
}

bool FrameLink::put(Format format, const Bytes& block, Asker asker) {
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

    if (!port_.Output(QByteArray(reinterpret_cast<const char*>(block.data()),
                                 static_cast<int>(block.size()))))
        return false;
    forgetEarlierOpenings();
    return true;
}

void FrameLink::forgetEarlierOpenings() {
    if (framerOpening_ == port_.openings())
        return;
    framer_.flush();
    framerOpening_ = port_.openings();
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

    const int n = port_.InBufferCount();
    if (n > 0) {
        QByteArray bytes;
        while (bytes.size() < n) {
            const QByteArray one = port_.Input();
            if (one.isEmpty())
                break;
            bytes += one;
        }
        forgetEarlierOpenings();
        const auto pieces = framer_.feed(
            reinterpret_cast<const std::uint8_t*>(bytes.constData()),
            static_cast<std::size_t>(bytes.size()),
            [this](std::uint8_t code) -> std::optional<int> {
                const auto asker = awaited_.take(code);
                return asker ? std::optional(static_cast<int>(*asker)) : std::nullopt;
            },
            checkTrailer);
        // The echo shows all of it but the live view's replies, in one append;
        // with nothing awaited, no byte kept can begin a reply.
        Bytes shown;
        for (const auto& piece : pieces) {
            if (!piece.reply)
                awaited_.noteGarbled();
            if (!piece.reply || piece.claimant != static_cast<int>(Asker::LiveView))
                shown.insert(shown.end(), piece.bytes.begin(), piece.bytes.end());
        }
        if (!awaited_.any()) {
            const Bytes kept = framer_.flush();
            shown.insert(shown.end(), kept.begin(), kept.end());
        }
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
    }

    QCoreApplication::processEvents();
    port_.setRThreshold(threshold());
}

} // namespace stepdrive
