#pragma once
// SIGINT and SIGTERM while a command runs: noted, not fatal, so that the
// session can end between frames, send the stop frame during --wait and
// say what reached the drive. A second signal ends the program at once,
// unless the stop frame is still to go out: then a third does. Ended so
// while a motion may run, it says so in one line, and how to stop it.

#include <QString>

namespace stepdrive::cli {

// Installs the handlers (once).
void watchInterrupts();
// True once SIGINT or SIGTERM came.
bool interrupted();

// The port whose motor a signal that ends the program may leave running.
void nameLine(const QString& port);
// Whether a motion sent may still run.
void motionMayRun(bool running);
// While one lives, the stop frame is owed (a wait sends it once
// interrupted) and a second signal is held.
struct StopOwed {
    StopOwed();
    ~StopOwed();
};

} // namespace stepdrive::cli
