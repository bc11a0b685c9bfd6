#pragma once
// The wire log: every frame out and every byte block in, with a timestamp.
// QT_LOGGING_RULES="stepdrive.link.debug=true" turns it on.

#include <QLoggingCategory>

namespace stepdrive {
Q_DECLARE_LOGGING_CATEGORY(lcLink)
QString wireTimestamp();
} // namespace stepdrive
