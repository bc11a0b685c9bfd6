#include "link/log.h"

#include <QDateTime>

namespace stepdrive {
Q_LOGGING_CATEGORY(lcLink, "stepdrive.link", QtInfoMsg)

QString wireTimestamp() {
    return QDateTime::currentDateTime().toString(QStringLiteral("hh:mm:ss.zzz"));
}
} // namespace stepdrive
