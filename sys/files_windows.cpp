#include "sys/files.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <io.h>

namespace stepdrive::sys {

// The system gives the arguments as UTF-16 text, names included.
QStringList programArguments(int, char**) {
    return QCoreApplication::arguments().mid(1);
}

QString shownName(const QString& name) {
    return name;
}

std::optional<QByteArray> readWhole(const QString& path, QString* error) {
    QFile file;
    const bool opened = path == QLatin1String("-")
                            ? file.open(stdin, QIODevice::ReadOnly)
                            : (file.setFileName(path), file.open(QIODevice::ReadOnly));
    if (!opened) {
        *error = file.errorString();
        return std::nullopt;
    }
    return file.readAll();
}

// A closed standard stream reads and writes as an error here; nothing is
// reserved.
bool reserveStandardStreams() {
    return false;
}

QString writeAll(int fd, const QByteArray& bytes, bool sync) {
    for (qsizetype done = 0; done < bytes.size();) {
        const int n =
            _write(fd, bytes.constData() + done,
                   static_cast<unsigned>(std::min<qsizetype>(bytes.size() - done, 1 << 20)));
        if (n <= 0)
            return QString::fromLocal8Bit(std::strerror(n < 0 ? errno : EIO));
        done += n;
    }
    if (sync && _commit(fd) != 0 && errno != EBADF && errno != EINVAL)
        return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

OutputTarget::~OutputTarget() = default;

// A file, whole or not at all; the folder must take it.
bool OutputTarget::prepare(const QString& path, QString* error) {
    path_ = path;
    const QFileInfo file(path);
    QString why;
    if (file.isDir())
        why = QStringLiteral("it is a folder");
    else if (file.exists() ? !file.isWritable() : !QFileInfo(file.absolutePath()).isWritable())
        why = QString::fromLocal8Bit(std::strerror(
            file.exists() || QFileInfo::exists(file.absolutePath()) ? EACCES : ENOENT));
    prepared_ = why.isEmpty();
    if (!prepared_)
        *error = QStringLiteral("%1 could not be written: %2").arg(path, why);
    return prepared_;
}

QString OutputTarget::save(const QByteArray& bytes) const {
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return file.errorString();
    return {};
}

bool OutputTarget::write(const QByteArray& bytes, QString* error) {
    const QString why = save(bytes);
    if (!why.isEmpty())
        *error = QStringLiteral("%1 could not be written: %2").arg(path_, why);
    return why.isEmpty();
}

} // namespace stepdrive::sys
