// The modules linked into the program as Qt's static plugins: nothing is
// loaded, the one with the interface asked for is handed out.

#include "link/modules.h"

#include <QJsonObject>
#include <QPluginLoader>

namespace stepdrive {

QObject* moduleInstance(const QString& file, const char* iid, QString* error) {
    const QVector<QStaticPlugin> linked = QPluginLoader::staticPlugins();
    for (const QStaticPlugin& plugin : linked) {
        if (plugin.metaData().value(QLatin1String("IID")).toString() == QLatin1String(iid))
            return plugin.instance();
    }
    *error = file + QStringLiteral(" is not linked into this program");
    return nullptr;
}

} // namespace stepdrive
