#include "cli/output.h"

#include "cli/exchange.h"

#include <QSaveFile>
#include <QTextStream>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

int deliver(const QString& text, int status, bool outputClosed, QTextStream& err) {
    const QByteArray bytes = text.toUtf8();
    QString why;
    if (bytes.isEmpty())
        return status;
    if (outputClosed)
        why = QStringLiteral("it is closed");
    for (qsizetype done = 0; why.isEmpty() && done < bytes.size();) {
        const ssize_t n = write(STDOUT_FILENO, bytes.constData() + done,
                                static_cast<std::size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            why = QString::fromLocal8Bit(std::strerror(n < 0 ? errno : EIO));
        else
            done += n;
    }
    // A file on a full disk may say so only when it is synced or closed.
    if (why.isEmpty() && fsync(STDOUT_FILENO) != 0 && errno != EINVAL && errno != EROFS)
        why = QString::fromLocal8Bit(std::strerror(errno));
    if (why.isEmpty())
        return status;
    err << "stepdrive-cli: standard output could not be written: " << why << '\n';
    err.flush();
    return status == kDone ? kOutputError : status;
}

bool saveWhole(const QString& path, const QByteArray& bytes, QString* error) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit()) {
        *error = QStringLiteral("%1 could not be written: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace stepdrive::cli
