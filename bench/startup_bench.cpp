// Start-up against a bare Qt window: starts each program in turn with the
// start-up probe on, takes the time from just before the process is started
// to its "shown <ms>" line, and its peak resident memory from wait4. Prints
// the start-up rows of the scripts/bench table: medians of RUNS runs each
// (after one run each that warms the caches and is not counted), and the
// same against a window with Hangul captions, for reference.
//
//   stepdrive_startup_bench RUNS STEPDRIVE BARE-WINDOW HANGUL-WINDOW

#include "app/first_shown.h"
#include "bench/table.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

using namespace stepdrive;

namespace {

constexpr int kTimeoutMs = 30000;

struct Start {
    double shownMs; // from just before the start to the window shown
    double peakMiB; // peak resident memory of the whole run
};

// Reads the child's standard output until its "shown" line or its end.
std::optional<double> readShown(int fd) {
    std::string out;
    char buf[256];
    for (;;) {
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, kTimeoutMs) <= 0)
            return std::nullopt;
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0)
            return std::nullopt;
        out.append(buf, static_cast<std::size_t>(n));
        const auto at = out.find("shown ");
        if (at != std::string::npos && out.find('\n', at) != std::string::npos)
            return std::strtod(out.c_str() + at + 6, nullptr);
    }
}

std::optional<Start> run(const char* program) {
    int out[2];
    if (pipe(out) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    char* argv[] = {const_cast<char*>(program), nullptr};
    pid_t pid = 0;
    const double started = steadyClockMs();
    const int failed = posix_spawn(&pid, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    if (failed) {
        close(out[0]);
        std::fprintf(stderr, "startup bench: %s: %s\n", program, std::strerror(failed));
        return std::nullopt;
    }
    const auto shown = readShown(out[0]);
    close(out[0]);
    if (!shown)
        kill(pid, SIGKILL);
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0 && errno == EINTR) {
    }
    if (!shown || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::fprintf(stderr, "startup bench: %s did not show its window and end\n", program);
        return std::nullopt;
    }
    return Start{*shown - started, usage.ru_maxrss / 1024.0};
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// Against the bare window with a target, or against another reference
// without one (target 0).
void row(const std::string& figure, double measured, double floor, const std::string& floorName,
         const std::string& unit, double target = 0) {
    const double ratio = measured / floor;
    bench::printRow({figure, bench::fixed(measured, 1) + " " + unit,
                     bench::fixed(floor, 1) + " " + unit + ": " + floorName, bench::fixed(ratio, 2),
                     target > 0 ? "≤ " + bench::fixed(target, 1) : "",
                     target > 0 ? std::optional<bool>(ratio <= target) : std::nullopt});
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s RUNS STEPDRIVE BARE-WINDOW HANGUL-WINDOW\n", argv[0]);
        return 2;
    }
    const int runs = std::max(1, std::atoi(argv[1]));
    constexpr int kPrograms = 3;
    setenv(kStartupProbeVariable, "1", 1);
    // The connection dialog, made with the other windows, probes COM 1 to 10:
    // they point nowhere, so no serial device of the machine is touched.
    for (int n = 1; n <= 10; ++n)
        setenv(("STEPDRIVE_COM" + std::to_string(n)).c_str(),
               ("/nonexistent/stepdrive-COM" + std::to_string(n)).c_str(), 1);
    setenv("STEPDRIVE_SERIAL_DEVICES", "", 1);

    std::vector<double> shown[kPrograms], peak[kPrograms];
    for (int i = 0; i <= runs; ++i) {
        for (int p = 0; p < kPrograms; ++p) {
            const auto start = run(argv[2 + p]);
            if (!start)
                return 1;
            if (i == 0)
                continue; // warms the caches
            shown[p].push_back(start->shownMs);
            peak[p].push_back(start->peakMiB);
        }
    }
    const std::string of = ", median of " + std::to_string(runs);
    const std::string bare = "a bare Qt window";
    const std::string hangul = "a window with a Hangul caption, for reference";
    const std::string startFigure = "start-up: process start to the main panel shown" + of;
    const std::string peakFigure = "start-up: peak resident memory, all four windows created" + of;
    row(startFigure, median(shown[0]), median(shown[1]), bare, "ms", 1.5);
    row(peakFigure, median(peak[0]), median(peak[1]), bare, "MiB", 1.3);
    row(startFigure, median(shown[0]), median(shown[2]), hangul, "ms");
    row(peakFigure, median(peak[0]), median(peak[2]), hangul, "MiB");
    return 0;
}
