#include "sys/files.h"

#include <QDir>
#include <QRegularExpression>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stepdrive::sys {

namespace {
constexpr char16_t kEscaped = 0xDC00; // + the byte, 0x80 to 0xFF

bool isEscaped(QChar c) {
    return c.unicode() >= kEscaped + 0x80 && c.unicode() <= kEscaped + 0xFF;
}

// The length of the UTF-8 sequence at `at`, 0 when it is none.
int sequenceAt(const QByteArray& bytes, int at) {
    const auto byte = [&](int i) { return static_cast<unsigned char>(bytes[at + i]); };
    const unsigned char lead = byte(0);
    const int length = lead < 0x80   ? 1
                       : lead < 0xC2 ? 0
                       : lead < 0xE0 ? 2
                       : lead < 0xF0 ? 3
                       : lead < 0xF5 ? 4
                                     : 0;
    if (length == 0 || at + length > bytes.size())
        return 0;
    for (int i = 1; i < length; ++i)
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
    // No overlong form, no surrogate, nothing past U+10FFFF.
    if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) >= 0xA0) ||
        (lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) >= 0x90))
        return 0;
    return length;
}
// The text of a name or argument the system gives.
QString fromSystem(const QByteArray& bytes) {
    QString text;
    for (int at = 0; at < bytes.size();) {
        const int length = sequenceAt(bytes, at);
        if (length == 0) {
            text += QChar(kEscaped + static_cast<unsigned char>(bytes[at]));
            ++at;
            continue;
        }
        text += QString::fromUtf8(bytes.constData() + at, length);
        at += length;
    }
    return text;
}

// The bytes of a name for the system: what fromSystem was given.
QByteArray toSystem(const QString& name) {
    QByteArray bytes;
    for (qsizetype at = 0; at < name.size();) {
        qsizetype end = at;
        while (end < name.size() && !isEscaped(name[end]))
            ++end;
        bytes += name.mid(at, end - at).toUtf8();
        for (at = end; at < name.size() && isEscaped(name[at]); ++at)
            bytes += static_cast<char>(name[at].unicode() - kEscaped);
    }
    return bytes;
}

} // namespace

QString shownName(const QString& name) {
    QString text;
    for (const QChar c : name)
        text += isEscaped(c)
                    ? QStringLiteral("\\x") + QString::number(c.unicode() - kEscaped, 16).toUpper()
                    : QString(c);
    return text;
}

QStringList programArguments(int argc, char** argv) {
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments << fromSystem(argv[i]);
    return arguments;
}

std::optional<QByteArray> readWhole(const QString& path, QString* error) {
    const bool standardInput = path == QLatin1String("-");
    const int fd = standardInput ? STDIN_FILENO : ::open(toSystem(path).constData(), O_RDONLY);
    QByteArray bytes;
    for (char buffer[65536]; fd >= 0;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n < 0)
                *error = QString::fromLocal8Bit(std::strerror(errno));
            break;
        }
        bytes.append(buffer, n);
    }
    if (fd < 0)
        *error = QString::fromLocal8Bit(std::strerror(errno));
    else if (!standardInput)
        ::close(fd);
    if (fd < 0 || !error->isEmpty())
        return std::nullopt;
    return bytes;
}

bool reserveStandardStreams() {
    bool outputClosed = false;
    for (int fd = 0; fd <= 2; ++fd) {
        if (fcntl(fd, F_GETFD) != -1 || errno != EBADF)
            continue;
        outputClosed = outputClosed || fd == STDOUT_FILENO;
        // open() takes the lowest free number: this one.
        static_cast<void>(open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY));
    }
    return outputClosed;
}

QString writeAll(int fd, const QByteArray& bytes, bool sync) {
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n =
            write(fd, bytes.constData() + done, static_cast<std::size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return QString::fromLocal8Bit(std::strerror(n < 0 ? errno : EIO));
        done += n;
    }
    // A file on a full disk may say so only when it is synced or closed.
    if (sync && fsync(fd) != 0 && errno != EINVAL && errno != EROFS)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

namespace {
// The folder a path names its file in.
QString folderOf(const QString& path) {
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    return slash < 0 ? QStringLiteral(".") : slash == 0 ? QStringLiteral("/") : path.left(slash);
}
} // namespace

std::optional<int> descriptorNamed(const QString& path) {
    static const QRegularExpression named(
        QStringLiteral("^/(?:dev|proc/self|proc/%1)/fd/([0-9]+)$").arg(getpid()));
    static const QRegularExpression standard(QStringLiteral("^/dev/std(in|out|err)$"));
    QString at = QDir::cleanPath(path);
    // Each link is followed by hand: the system's own resolution would go
    // through the descriptor's link to the file behind it.
    for (int links = 0; links < 40; ++links) {
        if (const auto m = named.match(at); m.hasMatch())
            return m.captured(1).toInt();
        if (const auto m = standard.match(at); m.hasMatch())
            return m.captured(1) == QLatin1String("in")    ? 0
                   : m.captured(1) == QLatin1String("out") ? 1
                                                           : 2;
        char target[4096];
        const ssize_t n = readlink(toSystem(at).constData(), target, sizeof target);
        if (n <= 0 || n == static_cast<ssize_t>(sizeof target))
            return std::nullopt;
        const QString next = fromSystem(QByteArray(target, static_cast<int>(n)));
        at = QDir::cleanPath(
            next.startsWith(QLatin1Char('/')) ? next : folderOf(at) + QLatin1Char('/') + next);
    }
    return std::nullopt;
}

OutputTarget::~OutputTarget() {
    if (owned_)
        close(fd_);
}

bool OutputTarget::prepare(const QString& path, QString* error) {
    path_ = path;
    const QByteArray name = toSystem(path);
    struct stat st {};
    QString why;
    if (const auto fd = descriptorNamed(path)) {
        // What the shell opened is written where it stands, never replaced.
        const int flags = fcntl(*fd, F_GETFL);
        fd_ = *fd;
        if (flags == -1)
            why = QStringLiteral("it is closed");
        else if ((flags & O_ACCMODE) == O_RDONLY)
            why = QStringLiteral("it is open for reading only");
    } else if (const bool found = stat(name.constData(), &st) == 0; found && !S_ISREG(st.st_mode)) {
        // A device, a FIFO or a socket (or a link to one) is written to as it
        // stands: replacing it by a file would destroy it. A FIFO that nothing
        // reads is refused rather than waited on; one read is kept open.
        fd_ = S_ISDIR(st.st_mode) ? -1 : open(name.constData(), O_WRONLY | O_NONBLOCK);
        owned_ = fd_ >= 0;
        if (owned_)
            fcntl(fd_, F_SETFL, fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
        else
            why = S_ISDIR(st.st_mode) ? QStringLiteral("it is a folder")
                  : errno == ENXIO && S_ISFIFO(st.st_mode)
                      ? QStringLiteral("nothing reads the FIFO")
                      : QString::fromLocal8Bit(std::strerror(errno));
    } else {
        // A regular file the user may write, or a new one in a folder that
        // takes it.
        if (access(found ? name.constData() : toSystem(folderOf(path)).constData(), W_OK) != 0)
            why = QString::fromLocal8Bit(std::strerror(errno));
    }
    prepared_ = why.isEmpty();
    if (!prepared_)
        *error = QStringLiteral("%1 could not be written: %2").arg(shownName(path), why);
    return prepared_;
}

QString OutputTarget::save(const QByteArray& bytes) const {
    // The file a link names is the one replaced, beside itself.
    QByteArray name = toSystem(path_);
    if (char* real = realpath(name.constData(), nullptr)) {
        name = real;
        free(real);
    }
    struct stat st {};
    const bool existed = stat(name.constData(), &st) == 0;
    QByteArray temporary = toSystem(folderOf(fromSystem(name))) + "/.stepdrive-cli-XXXXXX";
    const int fd = mkstemp(temporary.data());
    if (fd < 0)
        return QString::fromLocal8Bit(std::strerror(errno));
    // The file replaced keeps its mode and owner; a new one gets the usual.
    const mode_t mask = umask(0);
    umask(mask);
    QString why;
    if (fchmod(fd, existed ? st.st_mode & 07777 : 0666 & ~mask) != 0 ||
        (existed && fchown(fd, st.st_uid, st.st_gid) != 0 && errno != EPERM))
        why = QString::fromLocal8Bit(std::strerror(errno));
    if (why.isEmpty())
        why = writeAll(fd, bytes, true);
    if (close(fd) != 0 && why.isEmpty())
        why = QString::fromLocal8Bit(std::strerror(errno));
    if (why.isEmpty() && rename(temporary.constData(), name.constData()) != 0)
        why = QString::fromLocal8Bit(std::strerror(errno));
    if (!why.isEmpty())
        unlink(temporary.constData());
    return why;
}

bool OutputTarget::write(const QByteArray& bytes, QString* error) {
    // Whole or not at all, but into what was opened as it stands.
    const QString why = fd_ >= 0 ? writeAll(fd_, bytes, true) : save(bytes);
    if (!why.isEmpty())
        *error = QStringLiteral("%1 could not be written: %2").arg(shownName(path_), why);
    return why.isEmpty();
}

} // namespace stepdrive::sys
