#pragma once
// The operator's input while a pause runs: held, and handed on in order once
// no pause runs and no box waits. A stop's button or key (ui/stop_mark.h)
// acts at once, so that the stop goes out as soon as the pause ends, and a
// box shown meanwhile gets its input.

#include <QObject>
#include <QPointer>
#include <memory>
#include <utility>
#include <vector>

class QEvent;

namespace stepdrive {

class PauseGate;

class HeldInput : public QObject {
public:
    // Holds input whenever a pause on `gate` begins.
    explicit HeldInput(PauseGate& gate);
    ~HeldInput() override;

protected:
    bool eventFilter(QObject* receiver, QEvent* event) override;

private:
    void begin();
    void release();

    PauseGate& gate_;
    bool filtering_ = false;
    std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> held_;
};

} // namespace stepdrive
