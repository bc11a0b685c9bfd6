#include "link/system_ports.h"

#include "link/adapter.h"
#include "link/port_names.h"
#include "sys/devices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStringList>
#include <set>

namespace stepdrive {

std::vector<SystemPort> systemPorts() {
    std::vector<SystemPort> ports;
    const QString stableNames = stableNameFolder();
    // Asking the system opens its devices; a list given instead is taken as
    // it stands (the tests give one, so they never touch the machine's).
    const char* const given = "STEPDRIVE_SERIAL_DEVICES";
    if (qEnvironmentVariableIsSet(given)) {
        for (const QString& path :
             qEnvironmentVariable(given).split(QDir::listSeparator(), Qt::SkipEmptyParts))
            ports.push_back({path, {}, {}, {}, linkIn(stableNames, path)});
        return ports;
    }
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        // A COM port by the name the operator knows it by: COM3, not \\.\COM3.
        const int n = sys::comNumberOf(info.systemLocation());
        const QString path = n > 0 ? sys::comDevice(n) : info.systemLocation();
        ports.push_back({path, info.manufacturer(), info.description(), info.serialNumber(),
                         linkIn(stableNames, path)});
    }
    return ports;
}

QString linkIn(const QString& folder, const QString& device) {
    const QString real = QFileInfo(device).canonicalFilePath();
    for (const QFileInfo& link :
         QDir(folder).entryInfoList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
        if (!real.isEmpty() && link.canonicalFilePath() == real)
            return link.absoluteFilePath();
    return {};
}

std::optional<SystemPort> systemPortOf(const QString& path) {
    if (isNetworkName(path))
        return std::nullopt;
    for (const SystemPort& p : systemPorts())
        if (sameDevice(p.path, path))
            return p;
    return std::nullopt;
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
    if (isNetworkName(a) || isNetworkName(b)) {
        const auto x = parseNetAddress(a);
        const auto y = parseNetAddress(b);
        if (!x || !y || x->port != y->port)
            return false;
        const std::set<QString> ours = sys::addressesOf(x->host);
        for (const QString& address : sys::addressesOf(y->host))
            if (ours.count(address))
                return true;
        return false;
    }
    const QString real = QFileInfo(a).canonicalFilePath();
    return (!real.isEmpty() && real == QFileInfo(b).canonicalFilePath()) ||
           sys::sameDeviceFile(a, b);
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
