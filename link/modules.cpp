#include "link/modules.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonObject>
#include <QPluginLoader>
#include <QStringList>

namespace stepdrive {

namespace {
// $STEPDRIVE_MODULE_DIR when set; else the program's own folder under the
// library folder beside the program's folder: installed (/usr/bin and
// /usr/lib/...), and in the build tree, whose test programs sit one folder
// deeper. Never a path fixed at build time.
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
} // namespace

// Loaded once by the system, however often it is asked for: a module stays
// loaded while a loader of it lives or until it is unloaded, which nothing
// does.
QObject* moduleInstance(const QString& file, const char* iid, QString* error) {
    QStringList why;
    for (const QString& folder : moduleFolders()) {
        QPluginLoader loader(QDir(folder).absoluteFilePath(file));
        if (QObject* root = loader.instance()) {
            if (loader.metaData().value(QLatin1String("IID")).toString() == QLatin1String(iid))
                return root;
            why << loader.fileName() + QStringLiteral(": not a module of this kind");
        } else {
            why << loader.errorString();
        }
    }
    *error = why.join(QStringLiteral("; "));
    return nullptr;
}

} // namespace stepdrive
