#include "link/pause.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>

namespace stepdrive {

namespace {
// What the operator does with the mouse, the keys and touch.
bool isInput(QEvent::Type type) {
    switch (type) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::Shortcut:
    case QEvent::ContextMenu:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::InputMethod:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::DragLeave:
    case QEvent::Drop:
        return true;
    default:
        return false;
    }
}
} // namespace

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

HeldInput::HeldInput(PauseGate& gate) : gate_(gate) {
    // Handed on from the event loop, once the handler that paused returned.
    connect(&gate_, &PauseGate::settled, this,
            [this] { QTimer::singleShot(0, this, &HeldInput::release); });
}

HeldInput::~HeldInput() {
    if (filtering_)
        QCoreApplication::instance()->removeEventFilter(this);
}

void HeldInput::begin() {
    if (!filtering_ && QCoreApplication::instance()) {
        QCoreApplication::instance()->installEventFilter(this);
        filtering_ = true;
    }
}

bool HeldInput::eventFilter(QObject* receiver, QEvent* event) {
    if (!gate_.pausing() || gate_.reading())
        return false;
    // A window passes its input on to its widgets, where it is judged; a
    // window closed by the operator waits like a click.
    const bool closed = event->type() == QEvent::Close && event->spontaneous();
    if ((!isInput(event->type()) && !closed) || receiver->isWindowType() || isStop(receiver))
        return false;
    held_.emplace_back(receiver, event->clone());
    // Taken here, so that no parent gets it too; a window held open.
    event->setAccepted(!closed);
    return true;
}

void HeldInput::release() {
    if (gate_.pausing() || gate_.reading())
        return; // once they end
    if (filtering_) {
        QCoreApplication::instance()->removeEventFilter(this);
        filtering_ = false;
    }
    for (auto& [receiver, event] : held_)
        if (receiver)
            QCoreApplication::postEvent(receiver, event.release());
    held_.clear();
}

BlockingPause::BlockingPause() : held_(gate()) {}

void BlockingPause::sleep(int ms) {
    gate().begin();
    held_.begin();
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
