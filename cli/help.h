#pragma once
// stepdrive-cli's help: the whole of it, and that of one command.

#include <QString>

namespace stepdrive::cli {

struct Syntax;

QString helpText();

// A command's usage, its entry among the commands, the options it takes,
// its exit statuses and its example; each text as the whole help says it.
QString helpText(const Syntax& command);

} // namespace stepdrive::cli
