#pragma once
// SIGINT and SIGTERM while a command runs: noted, not fatal, so that the
// session can end between frames, send the stop frame during --wait and
// say what reached the drive. A second signal ends the program at once.

namespace stepdrive::cli {

// Installs the handlers (once).
void watchInterrupts();
// True once SIGINT or SIGTERM came (or interrupt() was called).
bool interrupted();
// Notes an interrupt as a signal would; for tests.
void interrupt();
// Forgets an interrupt noted.
void clearInterrupt();

} // namespace stepdrive::cli
