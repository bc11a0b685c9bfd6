#include "link/port_names.h"

#include <QtGlobal>

namespace stepdrive {

QString portDevice(int n) {
    if (n < 1)
        return {};
    const QByteArray var = "STEPDRIVE_COM" + QByteArray::number(n);
    if (qEnvironmentVariableIsSet(var.constData()))
        return qEnvironmentVariable(var.constData());
#ifdef Q_OS_WIN
    return comName(n);
#else
    return QStringLiteral("/dev/ttyS%1").arg(n - 1);
#endif
}

} // namespace stepdrive
