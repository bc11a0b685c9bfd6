#pragma once
// The names the program's settings are kept under: the user's
// ~/.config/stepdrive/stepdrive.conf, read through a default-constructed
// QSettings once they are set at start-up.

#include <QCoreApplication>

namespace stepdrive {

// The adapter of the port connected last, when it is known.
inline constexpr char kLastAdapterKey[] = "adapter";

// A session with the simulator (--simulator) keeps its own settings
// (stepdrive-simulator.conf): the port connected last on a real line is not
// offered to it, nor its own to a session on a real line.
inline void nameTheProgram(bool simulator = false) {
    QCoreApplication::setOrganizationName(QStringLiteral("stepdrive"));
    QCoreApplication::setApplicationName(simulator ? QStringLiteral("stepdrive-simulator")
                                                   : QStringLiteral("stepdrive"));
}

} // namespace stepdrive
