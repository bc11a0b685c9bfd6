#include "link/frame_link.h"

#include "link/comm_control.h"
#include "link/pause.h"

#include <QCoreApplication>
#include <utility>

namespace stepdrive {

using Asker = AwaitedReplies::Asker;

FrameLink::FrameLink(Format format, CommControl& port, QObject* parent)
    : QObject(parent), format_(format), port_(port),
      buffer_(static_cast<std::size_t>(formatInfo(format).blockLength), 0), watchBuffer_(buffer_),
      framer_(format), awaited_(port, [this] { return port_.InBufferCount() >= threshold(); }) {
    connect(&awaited_, &AwaitedReplies::silent, this, [this](bool garbled) {
        // What was kept for a reply that did not come whole is shown as it came.
        echoReceived(framer_.flush());
        emit silent(garbled);
    });
    connect(&awaited_, &AwaitedReplies::abandoned, this, &FrameLink::abandoned);
    if (PauseGate* gate = port_.gate())
        connect(gate, &PauseGate::resumed, this, &FrameLink::sendPendingStop);
}

int FrameLink::threshold() const {
    return framer_.wanted();
}

bool FrameLink::send(std::vector<std::uint8_t> args) {
    return write(std::move(args), buffer_, Asker::Panel);
}

bool FrameLink::sendWatch(std::vector<std::uint8_t> args) {
    return write(std::move(args), watchBuffer_, Asker::LiveView);
}

bool FrameLink::sendFollowing(std::vector<std::uint8_t> args) {
    return port_.PortOpen() && send(std::move(args));
}

void FrameLink::sendStop(std::vector<std::uint8_t> args, std::function<void(bool sent)> done) {
    ++stops_;
    // Stops pressed during one pause are one frame; each is told of it.
    pendingStop_ = std::move(args);
    if (done)
        pendingStopDone_.push_back(std::move(done));
    if (!port_.eventsHeldBack())
        sendPendingStop();
}

void FrameLink::sendPendingStop() {
    if (pendingStop_.empty())
        return;
    const auto args = std::exchange(pendingStop_, {});
    const auto done = std::exchange(pendingStopDone_, {});
    const bool sent = send(args);
    for (const auto& told : done)
        told(sent);
}

bool FrameLink::write(std::vector<std::uint8_t> args, Bytes& buffer, Asker asker) {
    const FormatInfo& f = formatInfo(format_);
    args.resize(static_cast<std::size_t>(f.argumentCount), 0);
    fillCommandFrame(format_, args.data(), buffer.data());

    if (asker == Asker::Panel) {
        // The two zero bytes that end the buffer go on the wire but are not
        // echoed.
        echo_.setSent(buffer.data(), static_cast<std::size_t>(f.frameLength));
        emit txEchoChanged(echo_.tx());
        // On the 10-byte panels the RX echo shows only the reply to this
        // command.
        if (format_ == Format::Short)
            clearRx();
    }

    if (!port_.Output(QByteArray(reinterpret_cast<const char*>(buffer.data()),
                                 static_cast<int>(buffer.size()))))
        return false;
    forgetEarlierOpenings();
    awaited_.add(args[0], asker);
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
            emit replied(piece.reply->code);
        }
    }

    QCoreApplication::processEvents();
    port_.setRThreshold(threshold());
}

} // namespace stepdrive
