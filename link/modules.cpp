#include "link/modules.h"

#include <QCoreApplication>
#include <QDir>

namespace stepdrive {

QStringList moduleFolders() {
    const QString chosen = qEnvironmentVariable("STEPDRIVE_MODULE_DIR");
    if (!chosen.isEmpty())
        return {chosen};
    if (!QCoreApplication::instance())
        return {};
    const QDir program(QCoreApplication::applicationDirPath());
    return {program.absoluteFilePath(QLatin1String("../" STEPDRIVE_MODULE_DIR)),
            program.absoluteFilePath(QLatin1String("../../" STEPDRIVE_MODULE_DIR))};
}

} // namespace stepdrive
