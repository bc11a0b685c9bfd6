#pragma once
// stepdrive-cli's options and the command's words, as the command line gives
// them.

#include "cli/cli.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace stepdrive::cli {

struct Options {
    QStringList ports;
    int baud = kDefaultBaud;
    int timeoutMs = 1000;
    bool wait = false;
    int waitTimeoutMs = 60 * 1000;
    bool json = false;
    bool trace = false;
    QString output;                // dump -o FILE
    int intervalMs = 100;          // monitor
    std::optional<int> durationMs; // monitor: until Ctrl-C when not given
    bool csv = false;              // monitor
    bool watching = false;         // any of monitor's options given
    bool help = false;
    bool version = false;
    QStringList words; // the command and its arguments
    // Writes a progress line to standard error, from any line's thread;
    // empty when there is to be no progress.
    std::function<void(const QString&)> sayProgress;
    // Writes a line to standard error at once, led by the program's name,
    // from any line's thread.
    std::function<void(const QString&)> sayNow;
    // Writes what monitor prints as it goes, at once, from any line's
    // thread; false, with *why, when it could not.
    std::function<bool(const QByteArray& text, QString* why)> live;
};

// The options and the command's words of `arguments` (without the program
// name), or nullopt with *error.
std::optional<Options> parseOptions(const QStringList& arguments, QString* error);

} // namespace stepdrive::cli
