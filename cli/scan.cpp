#include "cli/scan.h"

#include "cli/exchange.h"
#include "cli/lines.h"
#include "link/port_names.h"
#include "sys/devices.h"

#include <QJsonArray>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTextStream>
#include <set>

namespace stepdrive::cli {

std::vector<PortOffer> scanEntries(const std::vector<SystemPort>& system) {
    static const QRegularExpression variable(QStringLiteral("^STEPDRIVE_COM([0-9]{1,5})$"));
    std::set<int> coms;
    for (const QString& name : QProcessEnvironment::systemEnvironment().keys())
        if (const auto m = variable.match(name); m.hasMatch() && m.captured(1).toInt() > 0)
            coms.insert(m.captured(1).toInt());
    // A device that is COM n's own stands as COM n.
    for (const SystemPort& p : system)
        if (const int n = sys::comNumberOf(p.path); n > 0)
            coms.insert(n);
    return portOffers({coms.begin(), coms.end()}, system);
}

QJsonObject identity(const std::optional<SystemPort>& port) {
    const SystemPort p = port.value_or(SystemPort{});
    return {{QStringLiteral("maker"), p.manufacturer},
            {QStringLiteral("product"), p.product},
            {QStringLiteral("serial"), p.serial},
            {QStringLiteral("by_id"), p.byId}};
}

int scan(Options o, const Command& probe, const PortFactory& makePort,
         const PauseFactory& makePause, QTextStream& out) {
    std::vector<PortOffer> entries;
    if (o.ports.isEmpty())
        entries = scanEntries(systemPorts());
    for (const QString& p : o.ports)
        entries.push_back({p, parsePortChoice(p).path(), systemPortOf(parsePortChoice(p).path())});
    o.ports.clear();
    // Each device is probed once: two COM numbers of one device would clash
    // with each other, not with another program.
    std::vector<int> probeOf;
    QStringList devices;
    for (const PortOffer& e : entries) {
        if (!devices.contains(e.device)) {
            devices << e.device;
            o.ports << e.port;
        }
        probeOf.push_back(static_cast<int>(devices.indexOf(e.device)));
    }
    const std::vector<LineResult> results = runLines(o, probe, makePort, makePause);

    QJsonArray found;
    bool opened = false;
    bool driver = false;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const PortOffer& e = entries[i];
        const auto p = static_cast<std::size_t>(probeOf[i]);
        const QJsonObject probed = results[p].result.found();
        const int status = results[p].status;
        opened = opened || status != kPortError;
        driver = driver || status == kDone;
        QString why = results[p].error[QStringLiteral("message")].toString();
        if (o.ports[probeOf[i]] != e.port)
            why = QStringLiteral("the same device as %1").arg(o.ports[probeOf[i]]);
        const QString description = e.system ? details(*e.system) : QString();
        QJsonObject entry = identity(e.system);
        entry[QStringLiteral("port")] = e.port;
        entry[QStringLiteral("device")] = e.device;
        entry[QStringLiteral("description")] = description;
        entry[QStringLiteral("opened")] = status != kPortError;
        entry[QStringLiteral("driver")] = status == kDone;
        if (status == kDone)
            entry[QStringLiteral("position")] = probed[QStringLiteral("position")];
        else
            entry[QStringLiteral("message")] = why;
        found.append(entry);
        if (o.json)
            continue;
        QString label = e.port;
        if (e.device != e.port)
            label += QStringLiteral(" (%1)").arg(e.device);
        if (!description.isEmpty())
            label += QStringLiteral(" ") + description;
        out << label << ": "
            << (status == kDone ? QStringLiteral("driver, position=%1")
                                      .arg(probed[QStringLiteral("position")].toInteger())
                : status == kPortError ? why
                                       : QStringLiteral("no driver (%1)").arg(why))
            << '\n';
    }
    if (o.json)
        out << jsonLine(QJsonObject{{QStringLiteral("port"), QJsonValue::Null},
                                    {QStringLiteral("ports"), found}});
    // A driver found; else a port opened but no driver answered; else none.
    return driver ? kDone : opened ? kNoReply : kPortError;
}

} // namespace stepdrive::cli
