#pragma once
// What stepdrive-cli's scan looks at: the serial devices the system reports
// and the COM numbers that map to one.

#include "link/system_ports.h"

#include <QString>
#include <vector>

namespace stepdrive::cli {

struct ScanEntry {
    QString port;        // what --port takes: "COM4", or the device
    QString device;      // the device it opens
    QString description; // what the system says of it: "FTDI FT232R USB UART"
};

// The COM numbers STEPDRIVE_COM<n> sets and those of /dev/ttyS<n-1>, in
// order, then every other device of `system`: each device once, under its
// COM number when one maps to it.
std::vector<ScanEntry> scanEntries(const std::vector<SystemPort>& system);

} // namespace stepdrive::cli
