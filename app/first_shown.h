#pragma once
// Start-up timing for scripts/bench: notices when a window is first shown
// on the screen, that is when its first expose event has been handled and
// the window painted. Header-only, so that the bare Qt window the benchmark
// compares with uses it without linking anything of the program.

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <functional>

namespace stepdrive {

// The environment variable that asks the program to time its start-up.
inline constexpr char kStartupProbeVariable[] = "STEPDRIVE_STARTUP_PROBE";

// Calls `then` once, right after `window` was first exposed and painted.
class FirstShown : public QObject {
public:
    FirstShown(QWidget& window, std::function<void()> then)
        : window_(window), then_(std::move(then)) {
        QCoreApplication::instance()->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        const QWindow* handle = window_.windowHandle();
        if (event->type() != QEvent::Expose || !handle || watched != handle || !handle->isExposed())
            return false;
        QCoreApplication::instance()->removeEventFilter(this);
        watched->event(event); // paints the window
        then_();
        return true;
    }

private:
    QWidget& window_;
    std::function<void()> then_;
};

// The steady clock (CLOCK_MONOTONIC) in milliseconds: the same in every
// process, and the clock stepdrive-sim stamps its log with.
inline double steadyClockMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// "shown <ms>" by the steady clock, on standard output, for the benchmark
// that started the process.
inline void printShownTime() {
    std::printf("shown %.3f\n", steadyClockMs());
    std::fflush(stdout);
}

} // namespace stepdrive
