#pragma once
// stepdrive-cli's scan: the serial devices the system reports and the COM
// numbers that map to one, each asked for the position once.

#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/options.h"
#include "link/system_ports.h"

#include <QJsonObject>
#include <QString>
#include <optional>
#include <vector>

class QTextStream;

namespace stepdrive::cli {

// A device's identity as the system knows it: maker, product, serial and
// by_id (its /dev/serial/by-id name), empty where it says nothing.
QJsonObject identity(const std::optional<SystemPort>& port);

// The COM numbers STEPDRIVE_COM<n> sets and those of /dev/ttyS<n-1>, in
// order, then every other device of `system`: each device once, under its
// COM number when one maps to it.
std::vector<PortOffer> scanEntries(const std::vector<SystemPort>& system);

// Opens each port scanEntries() lists (or each o.ports given) and asks it for
// the position once with `probe`; prints what answered. Exit 0 when a driver
// answered, kNoReply when a port opened but none did, else kPortError.
int scan(Options o, const Command& probe, const PortFactory& makePort,
         const PauseFactory& makePause, QTextStream& out);

} // namespace stepdrive::cli
