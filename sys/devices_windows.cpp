#include "sys/devices.h"

#include <QRegularExpression>

// winsock2.h before windows.h
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

namespace stepdrive::sys {

namespace {
// "COM4", "com4" and "\\.\COM4": the number, or 0.
int comNumberIn(const QString& name) {
    static const QRegularExpression com(QStringLiteral("^(?:\\\\\\\\\\.\\\\)?COM([0-9]{1,5})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = com.match(name);
    return m.hasMatch() ? m.captured(1).toInt() : 0;
}
} // namespace

QString comDevice(int n) {
    return QStringLiteral("COM%1").arg(n);
}

int comNumberOf(const QString& device) {
    return comNumberIn(device);
}

// The system's port names are taken as they stand; the serial port itself
// reaches COM10 and above through \\.\.
QString deviceOf(const QString& name) {
    return name;
}

// One COM number is one port, however it is written.
bool sameDeviceFile(const QString& a, const QString& b) {
    const int n = comNumberIn(a);
    return n > 0 && n == comNumberIn(b);
}

std::set<QString> addressesOf(const QString& host) {
    std::set<QString> found{host.toLower()};
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    if (!started)
        return found;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &list) != 0)
        return found;
    for (const addrinfo* i = list; i; i = i->ai_next) {
        char text[NI_MAXHOST];
        if (getnameinfo(i->ai_addr, static_cast<socklen_t>(i->ai_addrlen), text, sizeof text,
                        nullptr, 0, NI_NUMERICHOST) != 0)
            continue;
        const QString address = QString::fromLatin1(text);
        const bool mapped = address.startsWith(QLatin1String("::ffff:"), Qt::CaseInsensitive) &&
                            address.contains(QLatin1Char('.'));
        found.insert(mapped ? address.mid(7) : address);
    }
    freeaddrinfo(list);
    return found;
}

// A COM port that did not open is one the system has, or has not.
bool notSerial(const QString&, const QString&) {
    return false;
}

// Any user may open a COM port; one that refuses is held by another
// program. A COM port the system does not define is missing.
DeviceAccess deviceAccess(const QString& path) {
    const int n = comNumberIn(path);
    if (n == 0)
        return DeviceAccess::ReadWrite;
    wchar_t target[MAX_PATH];
    const std::wstring name = comDevice(n).toStdWString();
    return QueryDosDeviceW(name.c_str(), target, MAX_PATH) != 0 ||
                   GetLastError() == ERROR_INSUFFICIENT_BUFFER
               ? DeviceAccess::ReadWrite
               : DeviceAccess::Missing;
}

AccessGrant accessGrant() {
    return AccessGrant::Anyone;
}

// The system opens a COM port for one program only.
bool holdDevice(qintptr) {
    return true;
}

} // namespace stepdrive::sys
