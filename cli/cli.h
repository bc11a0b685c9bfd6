#pragma once
// stepdrive-cli: the command line, what each command does over the session,
// and what it prints.

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QTextStream;

namespace stepdrive {
class CommControl;
class Pause;
} // namespace stepdrive

namespace stepdrive::cli {

inline constexpr int kDefaultBaud = 19200;

// Make the port object (named for the wire log) and the pause of one line.
// With several ports each line gets its own, made on the thread it runs on.
using PortFactory = std::function<std::unique_ptr<CommControl>(const QString& name)>;
using PauseFactory = std::function<std::unique_ptr<Pause>()>;

// Writes what a command prints as it goes (monitor) at once; false, with
// *why, when it could not.
using LiveOutput = std::function<bool(const QByteArray& text, QString* why)>;

// Runs one command line (`arguments` without the program name); results go
// to `out`, messages (and the trace, through the wire log) to `err`, and
// when `err` is a terminal, the progress of apply and verify too.
// Returns the exit status: with several ports the highest of theirs.
// `live`, when given, takes the lines of a command that prints as it goes
// as they come; `out` takes everything else, whole at the end.
int run(const QStringList& arguments, const PortFactory& makePort, const PauseFactory& makePause,
        QTextStream& out, QTextStream& err, bool errIsTerminal = false,
        const LiveOutput& live = {});

} // namespace stepdrive::cli
