#include "link/requester.h"

#include <QEventLoop>
#include <optional>

namespace stepdrive {

Requester::Requester(Format format, CommControl& port, Policy policy, QObject* parent)
    : QObject(parent), port_(port), policy_(policy),
      awaited_(port, [this] { return port_.InBufferCount() >= wanted(); }),
      framer_(format, &awaited_) {
    awaited_.setTimeout(policy_.timeoutMs);
    connect(&awaited_, &AwaitedReplies::silent, this, &Requester::silent);
    connect(&awaited_, &AwaitedReplies::excused, this, &Requester::excused);
    connect(&awaited_, &AwaitedReplies::abandoned, this, &Requester::abandoned);
    // A reply begun on a line that went away never ends: its bytes are let go.
    connect(&port_, &CommControl::lost, this, [this] { framer_.flush(); });
}

bool Requester::request(Format format, const Bytes& block, Asker asker, bool excusing) {
    if (policy_.stale == Policy::Stale::Dropped) {
        port_.setInBufferCount(0);
        framer_.flush();
    }
    if (!port_.Output(QByteArray(reinterpret_cast<const char*>(block.data()),
                                 static_cast<qsizetype>(block.size()))))
        return false;
    forgetEarlierOpenings();
    // What the stop cut short may still be answered, but is not missed.
    if (excusing)
        awaited_.excusePanel();
    awaited_.add(block[2], asker, format);
    return true;
}

void Requester::forgetEarlierOpenings() {
    if (framerOpening_ == port_.openings())
        return;
    framer_.flush();
    framerOpening_ = port_.openings();
}

std::vector<ReplyFramer::Piece> Requester::readWaiting(bool checkTrailer) {
    const int n = port_.InBufferCount();
    if (n <= 0)
        return {};
    QByteArray bytes;
    while (bytes.size() < n) {
        const QByteArray one = port_.Input();
        if (one.isEmpty())
            break;
        bytes += one;
    }
    forgetEarlierOpenings();
    auto pieces = framer_.feed(
        reinterpret_cast<const std::uint8_t*>(bytes.constData()),
        static_cast<std::size_t>(bytes.size()),
        [this](std::uint8_t code) -> std::optional<int> {
            const auto asker = awaited_.take(code);
            return asker ? std::optional(static_cast<int>(*asker)) : std::nullopt;
        },
        checkTrailer);
    for (const auto& piece : pieces)
        if (!piece.reply)
            awaited_.noteGarbled();
    // With nothing awaited, no byte kept can begin a reply.
    if (!awaited_.any())
        if (Bytes kept = framer_.flush(); !kept.empty())
            pieces.push_back({std::move(kept), std::nullopt, 0});
    return pieces;
}

Requester::Answer Requester::ask(Format format, const std::vector<std::uint8_t>& args) {
    Answer a;
    a.block = commandBlock(format, args);

    QEventLoop loop;
    std::optional<PortFailure> lost;
    bool over = false; // no reply will be found any more
    QObject::connect(&port_, &CommControl::OnComm, &loop, &QEventLoop::quit);
    QObject::connect(&port_, &CommControl::failed, &loop, [&](const PortFailure& failure) {
        lost = failure;
        loop.quit();
    });
    const auto end = [&] {
        over = true;
        loop.quit();
    };
    QObject::connect(this, &Requester::silent, &loop, end);
    QObject::connect(this, &Requester::abandoned, &loop, end);

    a.sent = request(format, a.block, Asker::Panel);
    if (!a.sent && !lost) // the port reports a loss it found before
        lost = PortFailure{
            PortFailure::Kind::NotOpen, port_.portLabel(), PortFailure::Cause::System, {}, {}};

    std::optional<ReplyFramer::Piece> found;
    while (!lost && !over && !found) {
        port_.setRThreshold(wanted());
        if (port_.InBufferCount() < wanted())
            loop.exec();
        for (auto& piece : readWaiting()) {
            a.came.insert(a.came.end(), piece.bytes.begin(), piece.bytes.end());
            if (piece.reply)
                found = std::move(piece);
        }
    }
    port_.setRThreshold(0);
    if (!found) {
        const Bytes kept = flush();
        a.came.insert(a.came.end(), kept.begin(), kept.end());
    }

    if (lost) {
        a.outcome = Answer::Outcome::Lost;
        a.failure = *lost;
    } else if (found) {
        a.reply = found->bytes;
        a.parsed = *found->reply;
        const bool faulty = (a.parsed.failed & (Reply::Status | Reply::Trailer)) != 0;
        a.outcome = faulty && policy_.faulty == Policy::Faulty::Refused ? Answer::Outcome::Faulty
                                                                        : Answer::Outcome::Replied;
    }
    return a;
}

} // namespace stepdrive
