#pragma once
// Output is part of the job: what a command prints reaches standard output
// or its file whole, or the run fails with a message and its own status.

#include <QByteArray>
#include <QString>

class QTextStream;

namespace stepdrive::cli {

// Gives each of standard input, output and error that is closed /dev/null,
// so that no port opened later takes its number; true when standard output
// was closed.
bool reserveStandardStreams();

// Writes all of `bytes` to `fd` (with `sync`, to the disk); empty, or why not.
QString writeAll(int fd, const QByteArray& bytes, bool sync);

// Writes `text` to standard output and makes sure it got there; on failure
// says so on `err` and returns kOutputError, unless `status` is already a
// failure, which it keeps.
int deliver(const QString& text, int status, bool outputClosed, QTextStream& err);

// Writes `bytes` to `path`: a regular file (or a new one) whole or not at
// all (an existing file stays as it was on failure), a device or a FIFO
// directly; false with *error otherwise.
bool saveWhole(const QString& path, const QByteArray& bytes, QString* error);

} // namespace stepdrive::cli
