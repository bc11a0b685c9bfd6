#pragma once
// The simulator's command line: its options, or what to print instead of
// running (the help, the version, a refusal) and the status to end with.

#include "sim/faults.h"

#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>

namespace stepdrive::sim {

struct Options {
    std::uint8_t inputs = 0;
    FaultOptions faults;
    bool verbose = false;
    std::string listen; // HOST:PORT to serve on; empty: a pseudo-terminal
};

struct CommandLine {
    std::optional<Options> run; // empty: print `out` and `err`, end with `status`
    std::string out;
    std::string err;
    int status = 0;
};

// `arguments` as the program gets them, its name first.
CommandLine readCommandLine(const QStringList& arguments);

} // namespace stepdrive::sim
