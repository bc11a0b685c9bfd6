#pragma once
// The serial devices the system reports, for the windows' port list and
// stepdrive-cli's scan.

#include <QString>
#include <vector>

namespace stepdrive {

// A serial device the system reports, with what it knows of it.
struct SystemPort {
    QString path;         // "/dev/ttyUSB0"
    QString manufacturer; // "FTDI"
    QString product;      // "FT232R USB UART"
    QString serial;       // "A50285BI"
};

// The system's serial devices, asked for once per call.
std::vector<SystemPort> systemPorts();

// "/dev/ttyUSB0  FTDI FT232R USB UART (A50285BI)"
QString describe(const SystemPort& port);

// One device under two names (a link in /dev/serial/by-id) is one device.
bool sameDevice(const QString& a, const QString& b);

} // namespace stepdrive
