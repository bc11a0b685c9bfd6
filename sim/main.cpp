// stepdrive-sim: a stepping-motor driver on a pseudo-terminal.

#include "core/commands.h"
#include "core/version.h"
#include "sim/driver.h"
#include "sim/faults.h"
#include "sim/framer.h"

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

const char kHelp[] = R"(Usage: stepdrive-sim [options]

Simulates the stepping-motor driver on a pseudo-terminal. The first line on
standard output is the device path of its slave side; open it as the serial
port (for example STEPDRIVE_COM1=/dev/pts/5). The simulator answers until it
gets SIGINT or SIGTERM, and keeps running while the port is closed and
reopened.

Every command block (a 10-byte frame with header AA or a 13-byte frame with
header CC, each followed by two zero bytes) is answered with a reply frame of
the same length carrying the command code: BB 00 code 64 data... EE checksum.
Bytes that do not make a frame with its trailer and checksum are skipped.
Writes and moves are answered with their own data bytes; reads with the value
asked for (table entries in the layout they were downloaded in); the input
request with the data 00 00 A B, A holding bit 0 running and bit 1 home
sensor, B inputs 1 to 8. A command outside the driver's command table is
answered too: the reply echoes its data bytes.

The driver model:
  speed     a speed value v moves the motor at v * 100 pulses per second, at
            constant speed (acceleration is stored, not modelled); a speed of
            0 leaves the motor standing
  moves     jog right/left at the jog speed in the command until stop;
            absolute and incremental moves at the run speed; table moves at
            the row's velocity to the row's position
  home      the home sensor is at position 0 at start-up; a home search
            travels to it at the homing speed, goes on by the home offset and
            makes that place position 0 (the sensor is then at -offset); the
            sensor is made within 5000 pulses of its place, so a watch at
            10 or 20 updates a second sees it as a search passes
  defaults  run current 20, stop current 4, run speed 800, acceleration 10,
            homing speed 500, home offset 12800, resolution 2; position 0;
            outputs off; table entries and belt parameters 0
  values    a motor parameter keeps the data bytes of its width (1 byte for
            the currents and the resolution, 2 for the speeds and the
            acceleration, 4 for the home offset); the position counter is
            32 bits wide and wraps

Options (values in decimal or as 0x hexadecimal; --name=value works too):
  --inputs N      states of inputs 1 to 8, bit 0 = input 1 (0-255, default 0)
  --fault WHAT    corrupt one byte of the reply: header (BB -> BA),
                  status (64 -> 65) or trailer (EE -> EF); the checksum
                  is left as it was
  --every N       with --fault, corrupt only every Nth reply (default 1)
  --drop N        send no reply to every Nth command (default 0: none)
  --delay-ms N    wait N milliseconds before each reply (0-60000)
  --split N       send each reply N bytes at a time, 5 ms apart (0: whole)
  --noise N       send N random bytes before each reply (0-1000); they never
                  include BB, so the reply header stays the first BB
  --seed N        seed of the noise (default 1)
  -v, --verbose   log every frame in and out on standard error, each line
                  starting with the time of the steady clock (CLOCK_MONOTONIC)
                  in milliseconds, so that pacing on the line can be measured
  -h, --help      show this text and exit
  --version       print the version and licence and exit
)";

struct Options {
    std::uint8_t inputs = 0;
    FaultOptions faults;
    bool verbose = false;
};

volatile std::sig_atomic_t stopRequested = 0;

void onSignal(int) {
    stopRequested = 1;
}

std::optional<long> parseNumber(const std::string& text, long low, long high) {
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const std::string digits = hex ? text.substr(2) : text;
    if (digits.empty() || digits.size() > 9)
        return std::nullopt;
    long value = 0;
    for (char c : digits) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (hex && c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (hex && c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return std::nullopt;
        value = value * (hex ? 16 : 10) + d;
    }
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

[[noreturn]] void usageError(const std::string& message) {
    std::fprintf(stderr, "stepdrive-sim: %s\nTry 'stepdrive-sim --help'.\n", message.c_str());
    std::exit(2);
}

Options parseOptions(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        std::string name = argv[i];
        std::optional<std::string> value;
        if (const auto eq = name.find('='); name.rfind("--", 0) == 0 && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
        }
        if (name == "-h" || name == "--help") {
            std::fputs(kHelp, stdout);
            std::exit(0);
        }
        if (name == "--version") {
            std::fputs(versionText("stepdrive-sim").c_str(), stdout);
            std::exit(0);
        }
        if (name == "-v" || name == "--verbose") {
            options.verbose = true;
            continue;
        }
        auto takeValue = [&]() -> std::string {
            if (value)
                return *value;
            if (i + 1 >= argc)
                usageError("option " + name + " needs a value");
            return argv[++i];
        };
        auto number = [&](long low, long high) {
            const std::string text = takeValue();
            const auto n = parseNumber(text, low, high);
            if (!n)
                usageError("bad value '" + text + "' for " + name + " (expected " +
                           std::to_string(low) + " to " + std::to_string(high) + ")");
            return static_cast<int>(*n);
        };
        FaultOptions& f = options.faults;
        if (name == "--inputs") {
            options.inputs = static_cast<std::uint8_t>(number(0, 255));
        } else if (name == "--fault") {
            const std::string what = takeValue();
            if (what == "header")
                f.corruption = Corruption::Header;
            else if (what == "status")
                f.corruption = Corruption::Status;
            else if (what == "trailer")
                f.corruption = Corruption::Trailer;
            else
                usageError("bad value '" + what + "' for --fault (header, status or trailer)");
        } else if (name == "--every") {
            f.every = number(1, 1000000);
        } else if (name == "--drop") {
            f.drop = number(0, 1000000);
        } else if (name == "--delay-ms") {
            f.delayMs = number(0, 60000);
        } else if (name == "--split") {
            f.split = number(0, 1000);
        } else if (name == "--noise") {
            f.noise = number(0, 1000);
        } else if (name == "--seed") {
            f.seed = static_cast<unsigned>(number(0, 0x7FFFFFFF));
        } else {
            usageError("unknown option '" + std::string(argv[i]) + "'");
        }
    }
    return options;
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
    const Options options = parseOptions(argc, argv);

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
