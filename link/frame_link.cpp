#include "link/frame_link.h"

#include "link/comm_control.h"

#include <QCoreApplication>
#include <algorithm>
#include <utility>

namespace stepdrive {

FrameLink::FrameLink(Format format, CommControl& port, QObject* parent)
    : QObject(parent), format_(format), port_(port),
      buffer_(static_cast<std::size_t>(formatInfo(format).blockLength), 0), watchBuffer_(buffer_) {
    replyTimer_.setSingleShot(true);
    connect(&replyTimer_, &QTimer::timeout, this, &FrameLink::replyOverdue);
    connect(&port_, &CommControl::lost, this, [this] {
        stopAwaiting();
        emit abandoned();
    });
}

int FrameLink::threshold() const {
    return formatInfo(format_).frameLength;
}

bool FrameLink::send(std::vector<std::uint8_t> args) {
    return write(std::move(args), buffer_, false);
}

bool FrameLink::sendWatch(std::vector<std::uint8_t> args) {
    return write(std::move(args), watchBuffer_, true);
}

bool FrameLink::write(std::vector<std::uint8_t> args, Bytes& buffer, bool watch) {
    const FormatInfo& f = formatInfo(format_);
    args.resize(static_cast<std::size_t>(f.argumentCount), 0);
    fillCommandFrame(format_, args.data(), buffer.data());

    if (!watch) {
        // The two zero bytes that end the buffer go on the wire but are not
        // echoed.
        txEcho_ =
            QString::fromStdString(hexEcho(buffer.data(), static_cast<std::size_t>(f.frameLength)));
        emit txEchoChanged(txEcho_);
        // On the 10-byte panels the RX echo shows only the reply to this
        // command.
        if (format_ == Format::Short)
            clearRx();
    }

    if (!port_.Output(QByteArray(reinterpret_cast<const char*>(buffer.data()),
                                 static_cast<int>(buffer.size()))))
        return false;
    // Replies awaited on an earlier opening of the port will never come.
    if (awaitingOpening_ != port_.openings())
        awaiting_.clear();
    awaitingOpening_ = port_.openings();
    if (awaiting_.empty()) {
        garbled_ = false;
        replyTimer_.start(replyTimeoutMs_);
    }
    awaiting_.push_back({args[0], watch});
    return true;
}

std::deque<FrameLink::Awaited>::iterator FrameLink::answered(std::uint8_t code) {
    return std::find_if(awaiting_.begin(), awaiting_.end(),
                        [code](const Awaited& a) { return a.code == code; });
}

void FrameLink::stopAwaiting() {
    awaiting_.clear();
    replyTimer_.stop();
}

void FrameLink::replyOverdue() {
    if (!port_.PortOpen() || port_.openings() != awaitingOpening_) {
        // The line was closed or went away: no reply will come, and a loss
        // was said when it happened.
        stopAwaiting();
        emit abandoned();
        return;
    }
    // A reply that came in while a pause or a handler held it back is not
    // late; nor is a message box run inside a pause.
    if (port_.eventsHeldBack() || port_.InBufferCount() >= threshold()) {
        replyTimer_.start(replyTimeoutMs_ / 10);
        return;
    }
    stopAwaiting();
    emit silent(garbled_);
}

bool FrameLink::sendFollowing(std::vector<std::uint8_t> args) {
    return port_.PortOpen() && send(std::move(args));
}

void FrameLink::clearRx() {
    rxEcho_.clear();
    emit rxEchoChanged(rxEcho_);
}

void FrameLink::echoReceived(const QByteArray& bytes) {
    const auto* raw = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    const auto count = static_cast<std::size_t>(bytes.size());

    // Only what the box shows is kept and converted, so an event costs the
    // same after a million bytes as after ten.
    constexpr int kShownChars = 4 * kRxEchoShownBytes;
    const std::size_t shown = std::min<std::size_t>(count, kRxEchoShownBytes);
    rxEcho_ += QString::fromStdString(hexEcho(raw + count - shown, shown));
    if (rxEcho_.size() > kShownChars)
        rxEcho_.remove(0, rxEcho_.size() - kShownChars);
    emit rxEchoChanged(rxEcho_);
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
        const auto* raw = reinterpret_cast<const std::uint8_t*>(bytes.constData());
        const int size = static_cast<int>(bytes.size());
        const int length = formatInfo(format_).frameLength;
        const auto frames = [&](const std::function<void(int at, int count)>& each) {
            for (int at = 0; at == 0 || (at + length <= size && raw[at] == kReplyHeader);
                 at += length)
                each(at, std::min(length, size - at));
        };
        // The live view's replies are its own: the echo shows the rest. Which
        // they are is worked out on a copy of what is awaited, before any
        // reply is handled.
        QByteArray shown;
        auto awaited = awaiting_;
        int from = 0;
        frames([&](int at, int count) {
            if (count < length)
                return;
            const std::uint8_t code =
                parseReply(format_, raw + at, static_cast<std::size_t>(count), checkTrailer).code;
            const auto a = std::find_if(awaited.begin(), awaited.end(),
                                        [code](const Awaited& w) { return w.code == code; });
            if (a == awaited.end())
                return;
            if (a->watch) {
                shown += bytes.mid(from, at - from);
                from = at + count;
            }
            awaited.erase(a);
        });
        shown += bytes.mid(from);
        if (!shown.isEmpty())
            echoReceived(shown);

        frames([&](int at, int count) {
            const Reply reply =
                parseReply(format_, raw + at, static_cast<std::size_t>(count), checkTrailer);
            const auto a = count < length ? awaiting_.end() : answered(reply.code);
            const bool watch = a != awaiting_.end() && a->watch;
            if (a == awaiting_.end()) {
                garbled_ = true;
            } else {
                awaiting_.erase(a);
                if (awaiting_.empty())
                    replyTimer_.stop();
                else
                    replyTimer_.start(replyTimeoutMs_);
            }
            if (watch) {
                emit watched(reply);
                return;
            }
            handle(reply);
            emit replied(reply.code);
        });
    }

    QCoreApplication::processEvents();
    port_.setRThreshold(threshold());
}

} // namespace stepdrive
