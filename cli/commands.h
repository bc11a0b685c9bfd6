#pragma once
// stepdrive-cli's commands: how each is written (its words and arguments)
// and what it does over a session.

#include "cli/exchange.h"
#include "cli/options.h"
#include "cli/result.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

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
    kAnyPort = 32,     // --port is not needed
};

// Makes a command of the arguments that follow its words, checked in full,
// or nullopt with *error.
using Builder = std::function<std::optional<Command>(const QStringList& arguments, const Options& o,
                                                     QString* error)>;

// A row of the command table: how a command is written (its words, then the
// arguments it needs; `more`: any number of KEY=VALUE after them), what makes
// it, the options it takes beside those every command takes, the exit
// statuses it can give and an example of its use.
struct Syntax {
    QStringList words;
    QStringList arguments;
    Builder build;
    int takes;
    bool more;
    std::vector<ExitStatus> exits;
    const char* example;
};

const std::vector<Syntax>& syntaxes();

// The row whose words `words` start with, or nullptr with *error naming
// what is unknown or missing.
const Syntax* syntaxOf(const QStringList& words, QString* error);

// The command `words` name, checked in full, and in *takes what it takes
// (Takes); or nullopt with *error naming what is missing, too much or wrong.
std::optional<Command> prepare(const QStringList& words, const Options& o, QString* error,
                               int* takes);

} // namespace stepdrive::cli
