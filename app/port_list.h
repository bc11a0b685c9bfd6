#pragma once
// The dialog's list of available ports: the COM numbers that opened, and
// every serial device the system reports, each once.

#include "link/system_ports.h"

#include <QString>
#include <vector>

namespace stepdrive {

struct PortEntry {
    QString text;    // "COM4", or "/dev/ttyUSB0  FTDI FT232R USB UART (A50285BI)"
    QString toolTip; // the device and its description
    QString port;    // what goes into the port box: "COM4" or the device
};

// One entry for each COM number that opened (its device's description in
// its tooltip), then one for each system device that is none of theirs.
std::vector<PortEntry> portEntries(const std::vector<int>& openedComs,
                                   const std::vector<SystemPort>& system);

} // namespace stepdrive
