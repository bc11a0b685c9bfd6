#pragma once
// stepdrive-cli monitor: the driver's position, speed, run flag, home sensor
// and inputs at an interval, as lines, CSV or JSON, until --duration or
// Ctrl-C.

#include "cli/commands.h"

namespace stepdrive::cli {

// The watch of one line; the rows of every line watched go to o.live as
// they come.
Command monitor(const Options& o);

} // namespace stepdrive::cli
