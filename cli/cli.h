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

// Makes the port object a run talks through.
using PortFactory = std::function<std::unique_ptr<CommControl>()>;

// Runs one command line (`arguments` without the program name); results go
// to `out`, messages (and the trace, through the wire log) to `err`.
// Returns the exit status.
int run(const QStringList& arguments, const PortFactory& makePort, Pause& pause, QTextStream& out,
        QTextStream& err);

QString helpText();

} // namespace stepdrive::cli
