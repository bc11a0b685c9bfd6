#include "cli/interrupt.h"

#include <atomic>
#include <csignal>

namespace stepdrive::cli {

namespace {
// Lock-free, so the handler may set it; read by every line's thread.
std::atomic<bool> noted{false};

extern "C" void onSignal(int) {
    noted = true;
}
} // namespace

void watchInterrupts() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    // The default comes back after the first: a second Ctrl-C ends the
    // program even when the line hangs.
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool interrupted() {
    return noted;
}

void interrupt() {
    noted = true;
}

void clearInterrupt() {
    noted = false;
}

} // namespace stepdrive::cli
