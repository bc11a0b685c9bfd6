// stepdrive-sim: a stepping-motor driver on a pseudo-terminal or a TCP port.

#include "core/commands.h"
#include "sim/driver.h"
#include "sim/faults.h"
#include "sim/framer.h"
#include "sim/options.h"
#include "sys/sim_endpoint.h"

#include <algorithm>
#include <cstdio>
#include <deque>
#include <memory>
#include <optional>
#include <string>

using namespace stepdrive;
using namespace stepdrive::sim;

namespace {

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
    Simulator(const Options& options, sys::SimEndpoint& line)
        : options_(options), line_(line), driver_(options.inputs), shaper_(options.faults) {}

    int run() {
        int hosts = line_.hosts();
        for (;;) {
            const Clock::time_point now = Clock::now();
            while (!scheduled_.empty() && scheduled_.front().due <= now) {
                const Bytes& b = scheduled_.front().bytes;
                outgoing_.insert(outgoing_.end(), b.begin(), b.end());
                scheduled_.pop_front();
            }
            std::optional<std::chrono::nanoseconds> timeout;
            if (!scheduled_.empty())
                timeout = std::chrono::ceil<std::chrono::nanoseconds>(scheduled_.front().due - now);
            const sys::SimEndpoint::Woken woken = line_.wait(!outgoing_.empty(), timeout);
            if (woken.stop)
                return 0;
            if (line_.hosts() != hosts) {
                // A new client: nothing meant for the one before reaches it.
                hosts = line_.hosts();
                scheduled_.clear();
                outgoing_.clear();
                framer_ = Framer();
            }
            if (woken.in)
                readCommands();
            if (woken.out)
                writeOut();
        }
    }

private:
    void readCommands() {
        std::uint8_t buffer[4096];
        const std::size_t n = line_.read(buffer, sizeof buffer);
        framer_.feed(buffer, n);
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
        const std::size_t n = line_.write(outgoing_.data(), outgoing_.size());
        outgoing_.erase(outgoing_.begin(), outgoing_.begin() + static_cast<std::ptrdiff_t>(n));
    }

    const Options& options_;
    sys::SimEndpoint& line_;
    Framer framer_;
    Driver driver_;
    ReplyShaper shaper_;
    std::deque<Scheduled> scheduled_;
    Clock::time_point lastDue_{};
    Bytes outgoing_;
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

    std::string error;
    const std::unique_ptr<sys::SimEndpoint> endpoint = options.listen.empty()
                                                           ? sys::openPseudoTerminal(&error)
                                                           : sys::listenOn(options.listen, &error);
    if (!endpoint) {
        std::fprintf(stderr, "stepdrive-sim: %s\n", error.c_str());
        return 1;
    }
    std::printf("%s\n", endpoint->where().c_str());
    std::fflush(stdout);
    return Simulator(options, *endpoint).run();
}
