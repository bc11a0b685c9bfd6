#pragma once
// A command run on each line --port names, all at once: each line on a
// thread of its own with its own port object and pause, so that one line's
// pauses hold up no other.

#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "cli/result.h"

#include <QJsonObject>
#include <QString>
#include <vector>

namespace stepdrive {
class CommControl;
struct PortChoice;
} // namespace stepdrive

namespace stepdrive::cli {

// Opens `port` as --port names it: COM n, or a device path, at --baud; or
// says why not in *error, naming the device when --port gave a COM number.
bool openPort(CommControl& port, const PortChoice& choice, const Options& o, QString* error);

// What the command did on one line: its exit status, what it found, its
// messages one a line, and on failure the error object.
struct LineResult {
    int status = 0;
    Result result;
    QString err;
    QJsonObject error;

    // What it prints on standard output: key=value lines, or one JSON object.
    QString out(bool json) const { return json ? jsonLine(result.object(error)) : result.text(); }
};

// Runs `command` on each of o.ports at once; the results in their order.
std::vector<LineResult> runLines(const Options& o, const Command& command,
                                 const PortFactory& makePort, const PauseFactory& makePause);

} // namespace stepdrive::cli
