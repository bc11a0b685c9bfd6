#include "link/awaited_replies.h"

#include "link/comm_control.h"

#include <algorithm>

namespace stepdrive {

AwaitedReplies::AwaitedReplies(CommControl& port, std::function<bool()> unread, QObject* parent)
    : QObject(parent), port_(port), unread_(std::move(unread)) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer); // a coarse timer may end the wait 5% early
    connect(&timer_, &QTimer::timeout, this, &AwaitedReplies::overdue);
    connect(&port_, &CommControl::lost, this, [this] {
        clear();
        emit abandoned();
    });
}

void AwaitedReplies::add(std::uint8_t code, Asker asker, Format format) {
    if (stale())
        awaited_.clear();
    opening_ = port_.openings();
    if (awaited_.empty()) {
        garbled_ = false;
        held_ = false;
        timer_.start(timeoutMs_);
    }
    awaited_.push_back({code, asker, format});
}

void AwaitedReplies::excusePanel() {
    for (Awaited& a : awaited_)
        if (a.asker == Asker::Panel)
            a.excused = true;
}

bool AwaitedReplies::stale() const {
    return opening_ != port_.openings();
}

std::deque<AwaitedReplies::Awaited>::const_iterator
AwaitedReplies::oldest(std::uint8_t code) const {
    if (stale())
        return awaited_.end();
    return std::find_if(awaited_.begin(), awaited_.end(),
                        [code](const Awaited& w) { return w.code == code; });
}

std::optional<Format> AwaitedReplies::formatOf(std::uint8_t code) const {
    const auto a = oldest(code);
    return a == awaited_.end() ? std::nullopt : std::optional(a->format);
}

std::optional<Format> AwaitedReplies::shortest() const {
    if (stale())
        return std::nullopt;
    std::optional<Format> shortest;
    for (const Awaited& a : awaited_)
        if (!shortest || formatInfo(a.format).frameLength < formatInfo(*shortest).frameLength)
            shortest = a.format;
    return shortest;
}

std::optional<AwaitedReplies::Asker> AwaitedReplies::take(std::uint8_t code) {
    const auto a = oldest(code);
    if (a == awaited_.end())
        return std::nullopt;
    const Asker asker = a->asker;
    awaited_.erase(a);
    // Each reply that comes gives the next its own second.
    if (awaited_.empty())
        timer_.stop();
    else
        timer_.start(timeoutMs_);
    return asker;
}

void AwaitedReplies::clear() {
    awaited_.clear();
    timer_.stop();
}

void AwaitedReplies::overdue() {
    if (!port_.PortOpen() || stale()) {
        // The line was closed or went away: no reply will come, and a loss
        // was said when it happened.
        clear();
        emit abandoned();
        return;
    }
    // No reply is late while a pause holds the receive events back or the
    // operator reads a box; nor while bytes wait to be read.
    const bool held = port_.repliesHeld();
    if (held || unread_()) {
        held_ = held_ || held;
        timer_.start(std::max(1, timeoutMs_ / 10));
        return;
    }
    if (held_) {
        held_ = false;
        timer_.start(timeoutMs_);
        return;
    }
    const bool allExcused =
        std::all_of(awaited_.begin(), awaited_.end(), [](const Awaited& a) { return a.excused; });
    clear();
    if (allExcused)
        emit excused();
    else
        emit silent(garbled_);
}

} // namespace stepdrive
