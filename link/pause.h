#pragma once
// Blocking millisecond pauses between frames. While a pause runs the port
// controls hold their receive events back until the handler that paused
// returns; the windows hold the operator's input likewise (ui/held_input.h).

#include "core/write_sequences.h"

#include <QObject>
#include <functional>
#include <vector>

namespace stepdrive {

// The "pausing" flag that the pause and the port controls share: the port
// controls hold their receive events back while it is set and look at their
// input again when it clears.
class PauseGate : public QObject {
    Q_OBJECT
public:
    bool pausing() const { return depth_ > 0; }
    void begin();
    void end();

    // A message box waits for the operator: no reply counts as late
    // meanwhile, and a pause lets the box have its input.
    bool reading() const { return reading_ > 0; }
    void beginReading() { ++reading_; }
    void endReading();

signals:
    // A pause began where none ran.
    void began();
    void resumed();
    // Neither a pause runs nor a box waits any more.
    void settled();

private:
    int depth_ = 0;
    int reading_ = 0;
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

// The pause that ships: runs a local event loop for the full time. The
// windows hold the operator's input meanwhile (they watch `began`).
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
