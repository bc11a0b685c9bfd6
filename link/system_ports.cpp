#include "link/system_ports.h"

#include "link/port_names.h"

#include <QDir>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStringList>

namespace stepdrive {

std::vector<SystemPort> systemPorts() {
    std::vector<SystemPort> ports;
    // Asking the system opens its devices; a list given instead is taken as
    // it stands (the tests give one, so they never touch the machine's).
    const char* const given = "STEPDRIVE_SERIAL_DEVICES";
    if (qEnvironmentVariableIsSet(given)) {
        for (const QString& path :
             qEnvironmentVariable(given).split(QDir::listSeparator(), Qt::SkipEmptyParts))
            ports.push_back({path, {}, {}, {}});
        return ports;
    }
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.push_back(
            {info.systemLocation(), info.manufacturer(), info.description(), info.serialNumber()});
    return ports;
}

QString details(const SystemPort& p) {
    QStringList words;
    for (const QString& word : {p.manufacturer, p.product})
        if (!word.isEmpty())
            words << word;
    if (!p.serial.isEmpty())
        words << QStringLiteral("(%1)").arg(p.serial);
    return words.join(QLatin1Char(' '));
}

QString describe(const SystemPort& p) {
    const QString words = details(p);
    return words.isEmpty() ? p.path : p.path + QStringLiteral("  ") + words;
}

bool sameDevice(const QString& a, const QString& b) {
    if (a == b)
        return true;
    const QString real = QFileInfo(a).canonicalFilePath();
    return !real.isEmpty() && real == QFileInfo(b).canonicalFilePath();
}

std::vector<PortOffer> portOffers(const std::vector<int>& coms,
                                  const std::vector<SystemPort>& system) {
    std::vector<PortOffer> offers;
    std::vector<bool> mapped(system.size(), false);
    for (int n : coms) {
        PortOffer offer{comName(n), portDevice(n), {}};
        for (std::size_t i = 0; i < system.size(); ++i) {
            if (sameDevice(offer.device, system[i].path)) {
                offer.system = system[i];
                mapped[i] = true;
            }
        }
        offers.push_back(offer);
    }
    for (std::size_t i = 0; i < system.size(); ++i)
        if (!mapped[i])
            offers.push_back({system[i].path, system[i].path, system[i]});
    return offers;
}

} // namespace stepdrive
