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

// The descriptor of this process that `path` (as fromSystem gives it) names, through any links:
// /dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N (and /proc/PID/fd/N
// of this process); nullopt for any other path.
std::optional<int> descriptorNamed(const QString& path);

// The file a dump goes to (-o), judged before anything is sent and written
// once the dump is whole: a descriptor the path names (descriptorNamed), a
// device or a FIFO where it stands; a regular file (or a new one) whole or
// not at all, keeping its mode and owner (an existing file stays as it was
// on failure).
class OutputTarget {
public:
    OutputTarget() = default;
    OutputTarget(const OutputTarget&) = delete;
    OutputTarget& operator=(const OutputTarget&) = delete;
    ~OutputTarget();

    // Whether `path` can take the dump: an open descriptor, a FIFO with a
    // reader (kept open from here on), a folder that exists, a file the user
    // may write. False with *error.
    bool prepare(const QString& path, QString* error);
    // Whether a path was prepared and can take the dump.
    bool prepared() const { return prepared_; }
    // Whether it is standard output, which takes the dump as any output.
    bool isStandardOutput() const { return fd_ == kStandardOutput && !owned_; }
    // Writes all of `bytes`; false with *error.
    bool write(const QByteArray& bytes, QString* error);

private:
    // Writes a new file beside the regular file named and renames it over
    // that file; empty, or why not (the file then stays as it was).
    QString save(const QByteArray& bytes) const;

    QString path_; // as fromSystem gives it
    int fd_ = -1;
    bool owned_ = false;
    bool prepared_ = false;
};

} // namespace stepdrive::cli
