#pragma once
// The serial devices the system reports, for the windows' port list and
// stepdrive-cli's scan.

#include <QString>
#include <optional>
#include <vector>

namespace stepdrive {

// A serial device the system reports, with what it knows of it.
struct SystemPort {
    QString path;         // "/dev/ttyUSB0"
    QString manufacturer; // "FTDI"
    QString product;      // "FT232R USB UART"
    QString serial;       // "A50285BI"
    QString byId;         // its stable name (stableNameFolder()): "/dev/serial/by-id/usb-FTDI_..."
};

// The link to `device` in `folder` (/dev/serial/by-id, where the system
// names each USB serial device by its maker, product and serial number),
// or empty.
QString linkIn(const QString& folder, const QString& device);

// What the system reports of the device `path` names, when it reports it.
std::optional<SystemPort> systemPortOf(const QString& path);

// The system's serial devices, asked for once per call; when
// STEPDRIVE_SERIAL_DEVICES is set, the devices it lists (separated by ':',
// ';' on Windows) instead, and the system is not asked.
std::vector<SystemPort> systemPorts();

// "FTDI FT232R USB UART (A50285BI)", or empty when the system says nothing.
QString details(const SystemPort& port);
// "/dev/ttyUSB0  FTDI FT232R USB UART (A50285BI)"
QString describe(const SystemPort& port);

// One device under two names is one device: a link in /dev/serial/by-id
// and its target, two device files of one device number, and two network
// names of one address and port (tcp://localhost:4001, tcp://127.0.0.1:4001,
// rfc2217://127.0.0.1:4001), their hosts looked up.
bool sameDevice(const QString& a, const QString& b);

// A port to offer the operator: a COM number and the device it maps to, or
// a device of the system's that no COM number maps to.
struct PortOffer {
    QString port;                     // what a port box or --port takes: "COM4", or the device
    QString device;                   // the device it opens
    std::optional<SystemPort> system; // what the system reports of that device
};

// One offer for each of `coms`, in order, with the system's word on its
// device, then one for each device of `system` that none of them maps to.
std::vector<PortOffer> portOffers(const std::vector<int>& coms,
                                  const std::vector<SystemPort>& system);

} // namespace stepdrive
