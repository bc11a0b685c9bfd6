#include "cli/interrupt.h"

#include <atomic>
#include <csignal>
#include <cstring>
#include <unistd.h>

namespace stepdrive::cli {

namespace {
// Lock-free, so the handler may use them; read by every line's thread.
std::atomic<int> received{0};
std::atomic<bool> running{false};
std::atomic<bool> owed{false};
// What the program says when a signal ends it while a motion may run.
char farewell[512];
std::atomic<std::size_t> farewellLength{0};

extern "C" void onSignal(int) {
    const int n = ++received;
    if (n == 1 || (n == 2 && owed))
        return;
    // Nothing more can be done if the line does not get out.
    if (running && write(STDERR_FILENO, farewell, farewellLength) < 0)
        _exit(130);
    _exit(130);
}
} // namespace

void watchInterrupts() {
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool interrupted() {
    return received > 0;
}

void nameLine(const QString& port) {
    const QByteArray line =
        QStringLiteral("stepdrive-cli: %1: ended at once; the motor may still be running "
                       "(stepdrive-cli --port %1 stop)\n")
            .arg(port)
            .toLocal8Bit()
            .left(sizeof farewell);
    farewellLength = 0;
    std::memcpy(farewell, line.constData(), static_cast<std::size_t>(line.size()));
    farewellLength = static_cast<std::size_t>(line.size());
}

void motionMayRun(bool mayRun) {
    running = mayRun;
}

StopOwed::StopOwed() {
    owed = true;
}

StopOwed::~StopOwed() {
    owed = false;
}

} // namespace stepdrive::cli
