#pragma once
// COM numbers to devices. STEPDRIVE_COM<n> names any device (a USB adapter,
// a pseudo-terminal); without it COM n is /dev/ttyS<n-1> (COM<n> on Windows).

#include <QString>

namespace stepdrive {

// The device path for COM n, or an empty string for n < 1.
QString portDevice(int n);

// "COM4" and the like.
inline QString comName(int n) {
    return QStringLiteral("COM%1").arg(n);
}

} // namespace stepdrive
