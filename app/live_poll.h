#pragma once
// The live view's questions to the driver: at each interval, its position
// and then its inputs, over a panel's link, one exchange at a time. It asks
// only while its port is open and nothing else is under way, and stops when
// the driver falls silent until the driver answers again or the port is
// opened anew. Stopped, it has no timer and sends nothing.

#include "core/frame.h"
#include "core/live_sample.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <functional>
#include <optional>

namespace stepdrive {

class CommControl;
class FrameLink;

class LivePoll : public QObject {
    Q_OBJECT
public:
    // `busy` is true while a sequence or read-back of any panel runs.
    LivePoll(FrameLink& link, CommControl& port, std::function<bool()> busy,
             QObject* parent = nullptr);

    // Asks every `intervalMs` from now on; a sample's time counts from here.
    void start(int intervalMs);
    void setInterval(int intervalMs);
    // No timer, and a reply still to come is let go.
    void stop();
    bool running() const { return timer_.isActive(); }
    LiveState state() const { return state_; }
    // The time since start(), as the samples count it.
    qint64 elapsedMs() const { return clock_.elapsed(); }

    // One interval: asks for the position unless something stands in the way.
    void tick();

signals:
    void sampled(const stepdrive::LiveSample& sample);
    void stateChanged(stepdrive::LiveState state);

private:
    enum class Step { Idle, Position, Inputs };
    void watched(const Reply& reply);
    void setState(LiveState state);
    // Sends the request of `step`; false when it did not go out.
    bool ask(Step step);

    FrameLink& link_;
    CommControl& port_;
    std::function<bool()> busy_;
    QTimer timer_;
    QElapsedTimer clock_;
    Step step_ = Step::Idle;
    int askedOpening_ = 0;
    // The opening of the port on which the driver fell silent.
    std::optional<int> silentOpening_;
    LiveState state_ = LiveState::LineClosed;
    LiveSampler sampler_;
};

} // namespace stepdrive
