#include "link/system_ports.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStringList>

namespace stepdrive {

std::vector<SystemPort> systemPorts() {
    std::vector<SystemPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.push_back(
            {info.systemLocation(), info.manufacturer(), info.description(), info.serialNumber()});
    return ports;
}

QString describe(const SystemPort& p) {
    QStringList words;
    for (const QString& word : {p.manufacturer, p.product})
        if (!word.isEmpty())
            words << word;
    if (!p.serial.isEmpty())
        words << QStringLiteral("(%1)").arg(p.serial);
    return words.isEmpty() ? p.path : p.path + QStringLiteral("  ") + words.join(QLatin1Char(' '));
}

bool sameDevice(const QString& a, const QString& b) {
    if (a == b)
        return true;
    const QString real = QFileInfo(a).canonicalFilePath();
    return !real.isEmpty() && real == QFileInfo(b).canonicalFilePath();
}

} // namespace stepdrive
