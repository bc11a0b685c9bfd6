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

// A port as the operator names it: COM n (device empty), or a device named
// directly (com 0). Neither, when both are empty.
struct PortChoice {
    int com = 0;
    QString device;

    // "COM4", or the device: how the port is shown and kept.
    QString text() const { return device.isEmpty() ? comName(com) : device; }
    // The device it opens.
    QString path() const { return device.isEmpty() ? portDevice(com) : device; }
};

// Reads a typed port: "COM12" or "com12" or "12" is COM 12; "COM0", "0" and
// blanks are no port; any other text names a device ("/dev/ttyUSB0",
// "\\.\COM12").
PortChoice parsePortChoice(const QString& text);

} // namespace stepdrive
