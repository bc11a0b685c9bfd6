#include "cli/scan.h"

#include <QProcessEnvironment>
#include <QRegularExpression>
#include <set>

namespace stepdrive::cli {

std::vector<ScanEntry> scanEntries(const std::vector<SystemPort>& system) {
    static const QRegularExpression variable(QStringLiteral("^STEPDRIVE_COM([0-9]{1,5})$"));
    static const QRegularExpression ttyS(QStringLiteral("^/dev/ttyS([0-9]{1,5})$"));
    std::set<int> coms;
    for (const QString& name : QProcessEnvironment::systemEnvironment().keys())
        if (const auto m = variable.match(name); m.hasMatch() && m.captured(1).toInt() > 0)
            coms.insert(m.captured(1).toInt());
    for (const SystemPort& p : system)
        if (const auto m = ttyS.match(p.path); m.hasMatch())
            coms.insert(m.captured(1).toInt() + 1);

    std::vector<ScanEntry> entries;
    for (const PortOffer& o : portOffers({coms.begin(), coms.end()}, system))
        entries.push_back({o.port, o.device, o.system ? details(*o.system) : QString()});
    return entries;
}

} // namespace stepdrive::cli
