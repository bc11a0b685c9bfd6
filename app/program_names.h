#pragma once
// The names the program's settings are kept under: the user's
// ~/.config/stepdrive/stepdrive.conf, read through a default-constructed
// QSettings once they are set at start-up.

#include <QCoreApplication>

namespace stepdrive {

// The adapter of the port connected last, when it is known.
inline constexpr char kLastAdapterKey[] = "adapter";

inline void nameTheProgram() {
    QCoreApplication::setOrganizationName(QStringLiteral("stepdrive"));
    QCoreApplication::setApplicationName(QStringLiteral("stepdrive"));
}

} // namespace stepdrive
