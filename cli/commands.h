#pragma once
// stepdrive-cli's commands: how each is written (its words and arguments)
// and what it does over a session.

#include "cli/options.h"
#include "cli/result.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

class QTextStream;

namespace stepdrive::cli {

class Session;

// A command checked in full, ready to run over a session: it fills the
// result, says why it failed on `err`, and returns its exit status.
using Command = std::function<int(Session&, Result&, QTextStream& err)>;

// What a command takes beside the options every command takes.
enum Takes : int {
    kSeveralPorts = 1, // --port more than once
    kWait = 2,         // --wait
    kOutput = 4,       // -o FILE
    kWatch = 8,        // --interval, --duration, --csv
    kNoPort = 16,      // and it takes no --port
};

// The command `words` name, checked in full, and in *takes what it takes
// (Takes); or nullopt with *error naming what is missing, too much or wrong.
std::optional<Command> prepare(const QStringList& words, const Options& o, QString* error,
                               int* takes);

} // namespace stepdrive::cli
