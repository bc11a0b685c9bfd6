#pragma once
// The replies a link awaits: the command code of every frame sent and not
// answered yet, with who asked (a panel or the live view), oldest first, and
// the one second of patience they share. A reply carries the code it
// answers, so it is matched by code; none within the second while the line
// stays open is a silent driver, a line closed or lost meanwhile abandons
// them all. A reply the motor stop excused may still come, but is not missed.

#include "core/reply_framer.h"

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

namespace stepdrive {

class CommControl;

class AwaitedReplies : public QObject, public AwaitedFormats {
    Q_OBJECT
public:
    enum class Asker { Panel, LiveView };

    // `unread` says whether bytes wait on the port that may still hold a
    // reply: they are read before any reply counts as missing.
    AwaitedReplies(CommControl& port, std::function<bool()> unread, QObject* parent = nullptr);

    // A frame of `format` with `code` went out on the port's current
    // opening. Replies awaited on an earlier opening will never come and are
    // let go.
    void add(std::uint8_t code, Asker asker, Format format);
    // The stop went out: the replies the panel awaits now are excused. One
    // that comes is taken as before; none coming is no silence.
    void excusePanel();
    // A reply with `code` came: who awaited the oldest such, which is no
    // longer awaited, or nullopt when none is.
    std::optional<Asker> take(std::uint8_t code);
    // Bytes came that answered nothing awaited.
    void noteGarbled() { garbled_ = true; }
    bool any() const { return !awaited_.empty(); }
    std::optional<Format> formatOf(std::uint8_t code) const override;
    std::optional<Format> shortest() const override;
    // Nothing is awaited any more.
    void clear();

    static constexpr int kTimeoutMs = 1000;
    void setTimeout(int ms) { timeoutMs_ = ms; }

signals:
    // No reply came within the second while the port stayed open: raised
    // once, then nothing is awaited. `garbled` when bytes did come that
    // answered nothing.
    void silent(bool garbled);
    // The line closed or went away while replies were awaited.
    void abandoned();
    // Only excused replies were missing at the end of the second: nothing is
    // awaited any more, and nothing is said.
    void excused();

private:
    void overdue();

    CommControl& port_;
    std::function<bool()> unread_;
    struct Awaited {
        std::uint8_t code;
        Asker asker;
        Format format;
        bool excused = false;
    };
    // Awaited on an earlier opening of the port: none will come.
    bool stale() const;
    // The oldest awaited with `code` on the current opening, or end().
    std::deque<Awaited>::const_iterator oldest(std::uint8_t code) const;
    std::deque<Awaited> awaited_;
    int opening_ = 0;
    bool garbled_ = false;
    // The clock was held (a pause, a box the operator reads): the reply gets
    // a whole second from its end.
    bool held_ = false;
    int timeoutMs_ = kTimeoutMs;
    QTimer timer_;
};

} // namespace stepdrive
