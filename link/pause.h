#pragma once
// Blocking millisecond pauses between frames. While a pause runs the window
// repaints but takes no clicks and handles no receive event: both wait until
// the handler that paused returns. A stop is the one exception: its button
// and key act during a pause, so that it goes out once the pause ends.

#include "core/write_sequences.h"
#include "link/stop_mark.h"

#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class QEvent;

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

    // A message box waits for the operator: no reply counts as late
    // meanwhile, and a pause lets the box have its input.
    bool reading() const { return reading_ > 0; }
    void beginReading() { ++reading_; }
    void endReading();

signals:
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

// The operator's input while a pause runs, but a stop's and a box's: held,
// and handed on in order once no pause runs and no box waits.
class HeldInput : public QObject {
public:
    explicit HeldInput(PauseGate& gate);
    ~HeldInput() override;
    void begin();

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    void release();

    PauseGate& gate_;
    bool filtering_ = false;
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> held_;
};

// The pause that ships: runs a local event loop for the full time with the
// operator's input held, but a stop's.
class BlockingPause : public Pause {
public:
    BlockingPause();
    void sleep(int ms) override;

private:
    HeldInput held_;
};

// Sends the frames in order, each with its pauses: `send` puts frame `index`
// on the line and returns false to end the walk there. True when every frame
// went out.
bool walk(
    const WriteSequence& sequence, Pause& pause,
    const std::function<bool(std::size_t index, const std::vector<std::uint8_t>& args)>& send);

} // namespace stepdrive
