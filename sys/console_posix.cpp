#include "sys/console.h"

#include <csignal>
#include <unistd.h>

namespace stepdrive::sys {

namespace {
void (*interruptHandler)() = nullptr;

extern "C" void onSignal(int) {
    if (interruptHandler)
        interruptHandler();
}
} // namespace

void onInterrupt(void (*handler)()) {
    interruptHandler = handler;
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

void failWritesToClosedPipes() {
    std::signal(SIGPIPE, SIG_IGN);
}

bool isTerminal(std::FILE* stream) {
    return isatty(fileno(stream)) != 0;
}

bool writeError(const char* text, std::size_t size) {
    return write(STDERR_FILENO, text, size) == static_cast<ssize_t>(size);
}

void endNow(int status) {
    _exit(status);
}

int programEnd(int status) {
    return status;
}

} // namespace stepdrive::sys
