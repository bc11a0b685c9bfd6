#pragma once
// stepdrive-cli monitor: the driver's position, speed, run flag, home sensor
// and inputs at an interval, as lines, CSV or JSON, until a duration or
// Ctrl-C.

#include "cli/cli.h"

#include <optional>

namespace stepdrive::cli {

// Runs the command line when its command is `monitor`; nullopt otherwise.
std::optional<int> runMonitor(const QStringList& arguments, const PortFactory& makePort,
                              const PauseFactory& makePause, QTextStream& out, QTextStream& err);

} // namespace stepdrive::cli
