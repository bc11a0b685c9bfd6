// stepdrive-sim: a stepping-motor driver on a pseudo-terminal.

#include "core/commands.h"
#include "sim/driver.h"
#include "sim/faults.h"
#include "sim/framer.h"
#include "sim/options.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <string>
#include <termios.h>
#include <unistd.h>

using namespace stepdrive;
using namespace stepdrive::sim;

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onSignal(int) {
    stopRequested = 1;
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "stepdrive-sim: %s: %s\n", what, std::strerror(errno));
    std::exit(1);
}

void logFrame(const char* direction, const Bytes& bytes, const char* note) {
    std::string hex = hexEcho(bytes);
    hex.resize(hex.size() - 2); // the blanks after the last byte
    const double ms =
        std::chrono::duration<double, std::milli>(Clock::now().time_since_epoch()).count();
    std::fprintf(stderr, "%.3f %s %s%s\n", ms, direction, hex.c_str(), note);
}

// A piece of a reply and when it is due on the line.
struct Scheduled {
    Clock::time_point due;
    Bytes bytes;
};

class Simulator {
public:
    Simulator(const Options& options, int master)
        : options_(options), master_(master), driver_(options.inputs), shaper_(options.faults) {}

    int run(const sigset_t& waitMask) {
        while (!stopRequested) {
            const Clock::time_point now = Clock::now();
            while (!scheduled_.empty() && scheduled_.front().due <= now) {
                const Bytes& b = scheduled_.front().bytes;
                outgoing_.insert(outgoing_.end(), b.begin(), b.end());
                scheduled_.pop_front();
            }

            pollfd pfd{master_, POLLIN, 0};
            if (!outgoing_.empty())
                pfd.events |= POLLOUT;
            if (hungUp_)
                pfd.fd = -1; // the port is closed: just wait a while
            std::optional<timespec> timeout;
            if (hungUp_)
                timeout = timespec{0, 50 * 1000 * 1000};
            if (!scheduled_.empty()) {
                const auto wait =
                    std::chrono::ceil<std::chrono::nanoseconds>(scheduled_.front().due - now);
                const long ns = std::max<long>(0, static_cast<long>(wait.count()));
                const timespec t{ns / 1000000000, ns % 1000000000};
                if (!timeout || t.tv_sec < timeout->tv_sec ||
                    (t.tv_sec == timeout->tv_sec && t.tv_nsec < timeout->tv_nsec))
                    timeout = t;
            }
            const int ready = ppoll(&pfd, 1, timeout ? &*timeout : nullptr, &waitMask);
            if (ready < 0) {
                if (errno == EINTR)
                    continue;
                fail("poll");
            }
            hungUp_ = false;
            if (pfd.revents & POLLIN)
                readCommands();
            else if (pfd.revents & (POLLHUP | POLLERR))
                hungUp_ = true;
            if (pfd.revents & POLLOUT)
                writeOut();
        }
        return 0;
    }

private:
    void readCommands() {
        std::uint8_t buffer[4096];
        const ssize_t n = read(master_, buffer, sizeof buffer);
        if (n < 0) {
            // EIO: nobody has the port open. Wait for it to be opened again.
            if (errno == EIO)
                hungUp_ = true;
            else if (errno != EAGAIN && errno != EINTR)
                fail("read");
            return;
        }
        framer_.feed(buffer, static_cast<std::size_t>(n));
        const std::size_t skippedBefore = framer_.skipped();
        while (auto command = framer_.next()) {
            const Clock::time_point now = Clock::now();
            const Bytes reply = driver_.handle(*command, now);
            if (options_.verbose) {
                const CommandCode* known =
                    findCommand(command->format, command->bytes[2], command->bytes[3]);
                const std::string note =
                    std::string("  (") + (known ? known->meaning : "not a known command") + ")";
                logFrame("<-", command->bytes, note.c_str());
            }
            schedule(reply, now);
        }
        // The two zero bytes after every block are skipped as a matter of course.
        if (options_.verbose && framer_.skipped() - skippedBefore > 2)
            std::fprintf(stderr, "   skipped %zu bytes\n", framer_.skipped() - skippedBefore);
    }

    void schedule(const Bytes& reply, Clock::time_point now) {
        const std::vector<Bytes> pieces = shaper_.shape(reply);
        if (pieces.empty()) {
            if (options_.verbose)
                logFrame("-x", reply, "  (dropped)");
            return;
        }
        Clock::time_point due =
            std::max(now + std::chrono::milliseconds(options_.faults.delayMs), lastDue_);
        for (const Bytes& piece : pieces) {
            if (options_.verbose)
                logFrame("->", piece, "");
            scheduled_.push_back({due, piece});
            lastDue_ = due;
            due += std::chrono::milliseconds(kSplitGapMs);
        }
    }

    void writeOut() {
        const ssize_t n = write(master_, outgoing_.data(), outgoing_.size());
        if (n < 0) {
            if (errno == EIO)
                hungUp_ = true;
            else if (errno != EAGAIN && errno != EINTR)
                fail("write");
            return;
        }
        outgoing_.erase(outgoing_.begin(), outgoing_.begin() + n);
    }

    const Options& options_;
    int master_;
    Framer framer_;
    Driver driver_;
    ReplyShaper shaper_;
    std::deque<Scheduled> scheduled_;
    Clock::time_point lastDue_{};
    Bytes outgoing_;
    bool hungUp_ = false;
};

} // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const CommandLine line = readCommandLine(arguments);
    if (!line.run) {
        std::fputs(line.out.c_str(), stdout);
        std::fputs(line.err.c_str(), stderr);
        return line.status;
    }
    const Options& options = *line.run;

    // SIGINT and SIGTERM are only let through while waiting in ppoll().
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
    sigset_t blocked, waitMask;
    sigemptyset(&blocked);
    sigaddset(&blocked, SIGINT);
    sigaddset(&blocked, SIGTERM);
    sigprocmask(SIG_BLOCK, &blocked, &waitMask);
    sigdelset(&waitMask, SIGINT);
    sigdelset(&waitMask, SIGTERM);

    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0)
        fail("posix_openpt");
    if (grantpt(master) < 0 || unlockpt(master) < 0)
        fail("grantpt/unlockpt");
    const char* name = ptsname(master);
    if (!name)
        fail("ptsname");
    const std::string path = name;

    // Our own hold on the slave side: the master then never hangs up when the
    // host closes the port, and the line starts raw (no echo, no newline
    // translation) until the host sets its own mode.
    const int slave = open(path.c_str(), O_RDWR | O_NOCTTY);
    if (slave < 0)
        fail(path.c_str());
    termios raw{};
    if (tcgetattr(slave, &raw) < 0)
        fail("tcgetattr");
    cfmakeraw(&raw);
    if (tcsetattr(slave, TCSANOW, &raw) < 0)
        fail("tcsetattr");
    if (fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK) < 0)
        fail("fcntl");

    std::printf("%s\n", path.c_str());
    std::fflush(stdout);

    Simulator simulator(options, master);
    const int status = simulator.run(waitMask);
    close(slave);
    close(master);
    return status;
}
