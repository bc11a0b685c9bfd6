#include "link/port_names.h"

#include <QRegularExpression>
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

PortChoice parsePortChoice(const QString& text) {
    static const QRegularExpression com(QStringLiteral("^(?:COM)?\\s*([0-9]{1,5})$"),
                                        QRegularExpression::CaseInsensitiveOption);
    const QString typed = text.trimmed();
    const QRegularExpressionMatch m = com.match(typed);
    if (m.hasMatch())
        return {m.captured(1).toInt(), {}};
    return {0, typed};
}

} // namespace stepdrive
