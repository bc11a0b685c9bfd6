#pragma once
// The names a profile file uses, for its reader and its writer.

#include <QString>

namespace stepdrive::profile_keys {

inline const QString kMotor = QStringLiteral("motor");
inline const QString kTable = QStringLiteral("table");
inline const QString kBelt = QStringLiteral("belt");
inline const QString kIn2Used = QStringLiteral("in2_used");
inline const QString kAbout = QStringLiteral("about");
inline const QString kPort = QStringLiteral("port");

} // namespace stepdrive::profile_keys
