#pragma once
// Output is part of the job: what a command prints reaches standard output
// or its file whole, or the run fails with a message and its own status.

#include <QByteArray>
#include <QString>
#include <optional>

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

inline constexpr int kStandardOutput = 1;

// The descriptor of this process that `path` names, through any links:
// /dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N (and /proc/PID/fd/N
// of this process); nullopt for any other path.
std::optional<int> descriptorNamed(const QString& path);

// Writes `bytes` to `path`: a descriptor the path names (descriptorNamed)
// where it stands, as the shell opened it; a regular file (or a new one)
// whole or not at all (an existing file stays as it was on failure); a
// device or a FIFO directly; false with *error otherwise.
bool saveWhole(const QString& path, const QByteArray& bytes, QString* error);

} // namespace stepdrive::cli
