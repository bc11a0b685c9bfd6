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

} // namespace stepdrive
