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

bool loadModule(const QString& file,
                const std::function<bool(const QString& path, QString* why)>& load,
                QString* error) {
    QStringList why;
    for (const QString& folder : moduleFolders()) {
        QString reason;
        if (load(QDir(folder).absoluteFilePath(file), &reason))
            return true;
        why << reason;
    }
    *error = why.join(QStringLiteral("; "));
    return false;
}

} // namespace stepdrive
