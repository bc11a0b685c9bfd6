#include "link/pause.h"

#include <QEventLoop>
#include <QTimer>

namespace stepdrive {

void PauseGate::begin() {
    if (depth_++ == 0)
        emit began();
}

void PauseGate::end() {
    if (depth_ > 0 && --depth_ == 0) {
        emit resumed();
        if (reading_ == 0)
            emit settled();
    }
}

void PauseGate::endReading() {
    if (reading_ > 0 && --reading_ == 0 && depth_ == 0)
        emit settled();
}

void BlockingPause::sleep(int ms) {
    gate().begin();
    QEventLoop loop;
    QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
    loop.exec();
    gate().end();
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
