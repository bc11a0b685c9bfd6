#include "app/live_poll.h"

#include "core/commands.h"
#include "link/comm_control.h"
#include "link/frame_link.h"

namespace stepdrive {

LivePoll::LivePoll(FrameLink& link, CommControl& port, std::function<bool()> busy, QObject* parent)
    : QObject(parent), link_(link), port_(port), busy_(std::move(busy)) {
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &LivePoll::tick);
    connect(&link_, &FrameLink::watched, this, &LivePoll::watched);
    // A silent driver stops the asking (its message is the panel's); a lost
    // or closed line ends the exchange under way.
    connect(&link_, &FrameLink::silent, this, [this] {
        if (!running())
            return;
        step_ = Step::Idle;
        silentOpening_ = port_.openings();
        sampler_.restart();
        setState(LiveState::Silent);
    });
    connect(&link_, &FrameLink::abandoned, this, [this] { step_ = Step::Idle; });
    // The driver answers the panel again: the asking resumes.
    connect(&link_, &FrameLink::replied, this, [this] { silentOpening_.reset(); });
}

void LivePoll::start(int intervalMs) {
    clock_.start();
    sampler_.restart();
    step_ = Step::Idle;
    timer_.start(intervalMs);
}

void LivePoll::setInterval(int intervalMs) {
    if (running())
        timer_.setInterval(intervalMs);
}

void LivePoll::stop() {
    timer_.stop();
    step_ = Step::Idle;
}

void LivePoll::setState(LiveState state) {
    if (state == state_)
        return;
    state_ = state;
    emit stateChanged(state);
}

void LivePoll::tick() {
    if (!running())
        return;
    if (!port_.PortOpen()) {
        step_ = Step::Idle;
        sampler_.restart();
        setState(LiveState::LineClosed);
        return;
    }
    // An exchange of an earlier opening will not be answered.
    if (step_ != Step::Idle && askedOpening_ == port_.openings())
        return; // one exchange at a time
    step_ = Step::Idle;
    if (silentOpening_ && *silentOpening_ == port_.openings()) {
        setState(LiveState::Silent);
        return;
    }
    silentOpening_.reset();
    if (busy_()) {
        setState(LiveState::Held);
        return;
    }
    setState(LiveState::Asking);
    ask(Step::Position);
}

bool LivePoll::ask(Step step) {
    step_ = step;
    askedOpening_ = port_.openings();
    const bool sent = step == Step::Position
                          ? link_.sendWatch({cmd::ReadParameter, opt::Position, 0, 0, 0, 0})
                          : link_.sendWatch({cmd::ReadInputs, opt::Inputs, 0, 0, 0, 0});
    if (!sent)
        step_ = Step::Idle;
    return sent;
}

void LivePoll::watched(const Reply& reply) {
    const Step step = step_;
    step_ = Step::Idle;
    // A reply that can't be read whole makes no sample.
    if (reply.failed != 0)
        return;
    if (step == Step::Position && reply.code == cmd::ReadParameter && reply.value()) {
        sampler_.position(*reply.value(), clock_.nsecsElapsed());
        // A sequence pressed meanwhile goes first; this sample is dropped.
        if (!busy_())
            ask(Step::Inputs);
        return;
    }
    if (step == Step::Inputs && reply.code == cmd::ReadInputs)
        emit sampled(sampler_.inputs(inputsOf(reply.statusA, reply.statusB)));
}

} // namespace stepdrive
