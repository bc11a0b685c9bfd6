#include "link/system_ports.h"

#include "link/adapter.h"
#include "link/port_names.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSerialPortInfo>
#include <QStringList>
#include <set>

#ifndef Q_OS_WIN
#include <netdb.h>
#include <sys/socket.h>
#include <sys/stat.h>
#endif

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
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        ports.push_back({info.systemLocation(), info.manufacturer(), info.description(),
                         info.serialNumber(), linkIn(stableNames, info.systemLocation())});
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

namespace {
// The addresses a host name stands for; the name itself where it is not
// looked up (or can't be).
std::set<QString> addressesOf(const QString& host) {
    std::set<QString> found{host.toLower()};
#ifndef Q_OS_WIN
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host.toUtf8().constData(), nullptr, &hints, &list) != 0)
        return found;
    for (const addrinfo* i = list; i; i = i->ai_next) {
        char text[NI_MAXHOST];
        if (getnameinfo(i->ai_addr, i->ai_addrlen, text, sizeof text, nullptr, 0, NI_NUMERICHOST) !=
            0)
            continue;
        // An IPv4 address mapped into IPv6 (::ffff:127.0.0.1) is that IPv4 one.
        const QString address = QString::fromLatin1(text);
        const bool mapped = address.startsWith(QLatin1String("::ffff:"), Qt::CaseInsensitive) &&
                            address.contains(QLatin1Char('.'));
        found.insert(mapped ? address.mid(7) : address);
    }
    freeaddrinfo(list);
#endif
    return found;
}

// Two character devices with one device number are one device, whatever
// their names (a link, a copy made with mknod).
bool sameDeviceNumber(const QString& a, const QString& b) {
#ifndef Q_OS_WIN
    struct stat x {
    }, y{};
    return stat(QFile::encodeName(a).constData(), &x) == 0 &&
           stat(QFile::encodeName(b).constData(), &y) == 0 && S_ISCHR(x.st_mode) &&
           S_ISCHR(y.st_mode) && x.st_rdev == y.st_rdev;
#else
    Q_UNUSED(a);
    Q_UNUSED(b);
    return false;
#endif
}
} // namespace

bool sameDevice(const QString& a, const QString& b) {
    if (a == b)
        return true;
    if (isNetworkName(a) || isNetworkName(b)) {
        const auto x = parseNetAddress(a);
        const auto y = parseNetAddress(b);
        if (!x || !y || x->port != y->port)
            return false;
        const std::set<QString> ours = addressesOf(x->host);
        for (const QString& address : addressesOf(y->host))
            if (ours.count(address))
                return true;
        return false;
    }
    const QString real = QFileInfo(a).canonicalFilePath();
    return (!real.isEmpty() && real == QFileInfo(b).canonicalFilePath()) || sameDeviceNumber(a, b);
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
