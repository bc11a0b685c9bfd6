#include "ui/held_input.h"

#include "link/pause.h"
#include "ui/stop_mark.h"

#include <QCoreApplication>
#include <QEvent>
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

HeldInput::HeldInput(PauseGate& gate) : gate_(gate) {
    connect(&gate_, &PauseGate::began, this, &HeldInput::begin);
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

} // namespace stepdrive
