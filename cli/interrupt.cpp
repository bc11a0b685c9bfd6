#include "cli/interrupt.h"

#include "sys/console.h"

#include <atomic>
#include <cstring>

namespace stepdrive::cli {

namespace {
// Lock-free, so the handler may use them; read by every line's thread.
std::atomic<int> received{0};
std::atomic<bool> running{false};
std::atomic<bool> owed{false};
// What the program says when a signal ends it while a motion may run.
char farewell[512];
std::atomic<std::size_t> farewellLength{0};

void onInterrupt() {
    const int n = ++received;
    if (n == 1 || (n == 2 && owed))
        return;
    // Nothing more can be done if the line does not get out.
    if (running)
        sys::writeError(farewell, farewellLength);
    sys::endNow(130);
}
} // namespace

void watchInterrupts() {
    sys::onInterrupt(onInterrupt);
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
