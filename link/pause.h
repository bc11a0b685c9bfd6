#pragma once
// Blocking millisecond pauses between frames. While a pause runs the window
// repaints but takes no clicks and handles no receive event: both wait until
// the handler that paused returns.

#include "core/write_sequences.h"

#include <QObject>
#include <functional>

namespace stepdrive {

// The "pausing" flag that the pause and the port controls share: the port
// controls hold their receive events back while it is set and look at their
// input again when it clears.
class PauseGate : public QObject {
    Q_OBJECT
public:
    bool pausing() const { return depth_ > 0; }
    void begin() { ++depth_; }
    void end();

signals:
    void resumed();

private:
    int depth_ = 0;
};

// Every pause owns the gate its port controls are built on, so a pause can't
// run without holding their receive events back.
class Pause {
public:
    virtual ~Pause() = default;
    virtual void sleep(int ms) = 0;
    PauseGate& gate() { return gate_; }

private:
    PauseGate gate_;
};

// The pause that ships: runs a local event loop without user input for the
// full time, then wakes the event loop so that held clicks are replayed.
class BlockingPause : public Pause {
public:
    void sleep(int ms) override;
};

// Sends the frames in order, each with its pauses: `send` puts frame `index`
// on the line and returns false to end the walk there. True when every frame
// went out.
bool walk(
    const WriteSequence& sequence, Pause& pause,
    const std::function<bool(std::size_t index, const std::vector<std::uint8_t>& args)>& send);

} // namespace stepdrive
