#include "app/port_list.h"

#include "link/port_names.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStringList>

namespace stepdrive {

namespace {
// One device under two names (a link in /dev/serial/by-id) is one device.
bool sameDevice(const QString& a, const QString& b) {
    if (a == b)
        return true;
    const QString real = QFileInfo(a).canonicalFilePath();
    return !real.isEmpty() && real == QFileInfo(b).canonicalFilePath();
}

// "/dev/ttyUSB0  FTDI FT232R USB UART (A50285BI)"
QString describe(const SystemPort& p) {
    QStringList words;
    for (const QString& word : {p.manufacturer, p.product})
        if (!word.isEmpty())
            words << word;
    if (!p.serial.isEmpty())
        words << QStringLiteral("(%1)").arg(p.serial);
    return words.isEmpty() ? p.path : p.path + QStringLiteral("  ") + words.join(QLatin1Char(' '));
}
} // namespace

std::vector<SystemPort> systemPorts() {
    std::vector<SystemPort> ports;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.push_back(
            {info.systemLocation(), info.manufacturer(), info.description(), info.serialNumber()});
    return ports;
}

std::vector<PortEntry> portEntries(const std::vector<int>& openedComs,
                                   const std::vector<SystemPort>& system) {
    std::vector<PortEntry> entries;
    std::vector<bool> shown(system.size(), false);
    for (int n : openedComs) {
        const QString path = portDevice(n);
        QString toolTip = path;
        for (size_t i = 0; i < system.size(); ++i) {
            if (sameDevice(path, system[i].path)) {
                toolTip = describe(system[i]);
                shown[i] = true;
            }
        }
        entries.push_back({comName(n), toolTip, comName(n)});
    }
    for (size_t i = 0; i < system.size(); ++i)
        if (!shown[i])
            entries.push_back({describe(system[i]), describe(system[i]), system[i].path});
    return entries;
}

} // namespace stepdrive
