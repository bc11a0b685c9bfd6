#include "sys/devices.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cerrno>
#include <cstring>
#include <netdb.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace stepdrive::sys {

QString comDevice(int n) {
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
}

int comNumberOf(const QString& device) {
    static const QRegularExpression ttyS(QStringLiteral("^/dev/ttyS([0-9]{1,5})$"));
    const QRegularExpressionMatch m = ttyS.match(device);
    return m.hasMatch() ? m.captured(1).toInt() + 1 : 0;
}

QString deviceOf(const QString& name) {
    if (name.isEmpty() || name.startsWith(QLatin1Char('/')) || name.contains(QLatin1String("://")))
        return name;
    if (name.startsWith(QLatin1String("./")) || name.startsWith(QLatin1String("../")))
        return QDir::cleanPath(QDir::current().absoluteFilePath(name));
    return QStringLiteral("/dev/") + name;
}

bool sameDeviceFile(const QString& a, const QString& b) {
    struct stat x {
    }, y{};
    return stat(QFile::encodeName(a).constData(), &x) == 0 &&
           stat(QFile::encodeName(b).constData(), &y) == 0 && S_ISCHR(x.st_mode) &&
           S_ISCHR(y.st_mode) && x.st_rdev == y.st_rdev;
}

std::set<QString> addressesOf(const QString& host) {
    std::set<QString> found{host.toLower()};
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &list) != 0)
        return found;
    for (const addrinfo* i = list; i; i = i->ai_next) {
        char text[NI_MAXHOST];
        if (getnameinfo(i->ai_addr, i->ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST) !=
            0)
            continue;
        const QString address = QString::fromLatin1(text);
        const bool mapped = address.startsWith(QLatin1String("::ffff:"), Qt::CaseInsensitive) &&
                            address.contains(QLatin1Char('.'));
        found.insert(mapped ? address.mid(7) : address);
    }
    freeaddrinfo(list);
    return found;
}

bool notSerial(const QString& device, const QString& systemText) {
    struct stat st {};
    if (stat(QFile::encodeName(device).constData(), &st) != 0)
        return false;
    return !S_ISCHR(st.st_mode) || systemText == QString::fromLocal8Bit(std::strerror(ENOTTY));
}

DeviceAccess deviceAccess(const QString& path) {
    const QByteArray file = QFile::encodeName(deviceOf(path));
    if (::access(file.constData(), F_OK) != 0)
        return DeviceAccess::Missing;
    return ::access(file.constData(), R_OK | W_OK) == 0 ? DeviceAccess::ReadWrite
                                                        : DeviceAccess::Refused;
}

AccessGrant accessGrant() {
    return AccessGrant::DialoutGroup;
}

bool holdDevice(qintptr handle) {
    return ::flock(static_cast<int>(handle), LOCK_EX | LOCK_NB) == 0 || errno != EWOULDBLOCK;
}

} // namespace stepdrive::sys
