#pragma once
// Output is part of the job: what a command prints reaches standard output
// whole, or the run fails with a message and its own status.

#include <QString>

class QTextStream;

namespace stepdrive::cli {

// Writes `text` to standard output and makes sure it got there; on failure
// says so on `err` and returns kOutputError, unless `status` is already a
// failure, which it keeps.
int deliver(const QString& text, int status, bool outputClosed, QTextStream& err);

} // namespace stepdrive::cli
