#include "cli/output.h"

#include "cli/exchange.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QTextStream>
#include <cerrno>
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

std::optional<int> descriptorNamed(const QString& path) {
    static const QRegularExpression named(
        QStringLiteral("^/(?:dev|proc/self|proc/%1)/fd/([0-9]+)$").arg(getpid()));
    static const QRegularExpression standard(QStringLiteral("^/dev/std(in|out|err)$"));
    QByteArray name = QFile::encodeName(QDir::cleanPath(path));
    // Each link is followed by hand: the system's own resolution would go
    // through the descriptor's link to the file behind it.
    for (int links = 0; links < 40; ++links) {
        const QString at = QFile::decodeName(name);
        if (const auto m = named.match(at); m.hasMatch())
            return m.captured(1).toInt();
        if (const auto m = standard.match(at); m.hasMatch())
            return m.captured(1) == QLatin1String("in")    ? 0
                   : m.captured(1) == QLatin1String("out") ? 1
                                                           : 2;
        char target[4096];
        const ssize_t n = readlink(name.constData(), target, sizeof target);
        if (n <= 0 || n == static_cast<ssize_t>(sizeof target))
            return std::nullopt;
        const QString next = QFile::decodeName(QByteArray(target, static_cast<int>(n)));
        name = QFile::encodeName(QDir::cleanPath(
            next.startsWith(QLatin1Char('/')) ? next : QFileInfo(at).absolutePath() + '/' + next));
    }
    return std::nullopt;
}

OutputTarget::~OutputTarget() {
    if (owned_)
        close(fd_);
}

bool OutputTarget::prepare(const QString& path, QString* error) {
    path_ = path;
    const QByteArray name = QFile::encodeName(path);
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
        const QByteArray folder = QFile::encodeName(QFileInfo(path).absolutePath());
        if (access(found ? name.constData() : folder.constData(), W_OK) != 0)
            why = QString::fromLocal8Bit(std::strerror(errno));
    }
    if (!why.isEmpty())
        *error = QStringLiteral("%1 could not be written: %2").arg(path, why);
    return why.isEmpty();
}

bool OutputTarget::write(const QByteArray& bytes, QString* error) {
    QString why;
    if (fd_ >= 0) {
        why = writeAll(fd_, bytes, true);
    } else {
        // Whole or not at all; QSaveFile follows a link to the file it names.
        // The file replaced keeps its mode and owner.
        const QByteArray name = QFile::encodeName(path_);
        struct stat st {};
        const bool existed = stat(name.constData(), &st) == 0;
        QSaveFile file(path_);
        if (!file.open(QIODevice::WriteOnly))
            why = file.errorString();
        else if (existed && (fchmod(file.handle(), st.st_mode & 07777) != 0 ||
                             (fchown(file.handle(), st.st_uid, st.st_gid) != 0 && errno != EPERM)))
            why = QString::fromLocal8Bit(std::strerror(errno));
        else if (file.write(bytes) != bytes.size() || !file.commit())
            why = file.errorString();
    }
    if (!why.isEmpty())
        *error = QStringLiteral("%1 could not be written: %2").arg(path_, why);
    return why.isEmpty();
}

} // namespace stepdrive::cli
