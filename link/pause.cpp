#include "link/pause.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

namespace stepdrive {

void PauseGate::end() {
    if (depth_ > 0 && --depth_ == 0)
        emit resumed();
}

void BlockingPause::sleep(int ms) {
    gate().begin();
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    gate().end();
    // Clicks held back during the pause are replayed only once the event loop
    // is woken again.
    if (auto* dispatcher = QCoreApplication::eventDispatcher())
        dispatcher->wakeUp();
}

bool walk(
    const WriteSequence& sequence, Pause& pause,
    const std::function<bool(std::size_t index, const std::vector<std::uint8_t>& args)>& send) {
    for (std::size_t i = 0; i < sequence.frames.size(); ++i) {
        const SequenceFrame& f = sequence.frames[i];
        if (f.pauseBeforeMs > 0)
            pause.sleep(f.pauseBeforeMs);
        if (!send(i, f.args))
            return false;
        if (f.pauseAfterMs > 0)
            pause.sleep(f.pauseAfterMs);
    }
    return true;
}

} // namespace stepdrive
