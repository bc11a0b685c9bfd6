#pragma once
// Files as this system names and keeps them, for the command line: its
// arguments with file names as the system gave them, what is read from a
// file, and the file or stream a dump goes to, whole or not at all.
// On POSIX a name is bytes: those that are no UTF-8 go through unchanged
// and are shown as \xNN.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

namespace stepdrive::sys {

// The program's arguments after its name, file names as the system gave
// them.
QStringList programArguments(int argc, char** argv);
// A name as messages show it: "out\xE9.json".
QString shownName(const QString& name);
// What the file `path` holds ("-": standard input), or nullopt with the
// system's reason in *error.
std::optional<QByteArray> readWhole(const QString& path, QString* error);

// Gives each of standard input, output and error that is closed a null
// stream, so that no port opened later takes its place; true when
// standard output was closed.
bool reserveStandardStreams();
inline constexpr int kStandardOutput = 1;
// Writes all of `bytes` to `fd` (with `sync`, to the disk); empty, or why not.
QString writeAll(int fd, const QByteArray& bytes, bool sync);

// The file a dump goes to (-o), judged before anything is sent and written
// once the dump is whole: a stream the shell opened (/dev/stdout,
// /dev/fd/N, /proc/self/fd/N, or a link to one), a device or a FIFO, each
// where it stands; a regular file (or a new one) whole or not at all,
// keeping its mode and owner (an existing file stays as it was on failure).
class OutputTarget {
public:
    OutputTarget() = default;
    OutputTarget(const OutputTarget&) = delete;
    OutputTarget& operator=(const OutputTarget&) = delete;
    ~OutputTarget();

    // Whether `path` can take the dump: an open stream, a FIFO with a
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

    QString path_;
    int fd_ = -1;
    bool owned_ = false;
    bool prepared_ = false;
};

} // namespace stepdrive::sys
