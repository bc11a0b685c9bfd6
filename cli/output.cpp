#include "cli/output.h"

#include "cli/exchange.h"
#include "cli/system_names.h"

#include <QDir>
#include <QRegularExpression>
#include <QTextStream>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stepdrive::cli {

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

int deliver(const QString& text, int status, bool outputClosed, QTextStream& err) {
    const QByteArray bytes = text.toUtf8();
    if (bytes.isEmpty())
        return status;
    const QString why =
        outputClosed ? QStringLiteral("it is closed") : writeAll(STDOUT_FILENO, bytes, true);
    if (why.isEmpty())
        return status;
    err << "stepdrive-cli: standard output could not be written: " << why << '\n';
    err.flush();
    return status == kDone ? kOutputError : status;
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
        *error = QStringLiteral("%1 could not be written: %2").arg(shown(path), why);
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
        *error = QStringLiteral("%1 could not be written: %2").arg(shown(path_), why);
    return why.isEmpty();
}

} // namespace stepdrive::cli
