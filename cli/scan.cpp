#include "cli/scan.h"

#include "link/port_names.h"

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
    std::vector<bool> listed(system.size(), false);
    const auto description = [&](std::size_t i) {
        listed[i] = true;
        return describe(system[i]).mid(system[i].path.size()).trimmed();
    };
    for (int n : coms) {
        ScanEntry e{comName(n), portDevice(n), {}};
        for (std::size_t i = 0; i < system.size(); ++i)
            if (!listed[i] && sameDevice(e.device, system[i].path))
                e.description = description(i);
        entries.push_back(e);
    }
    for (std::size_t i = 0; i < system.size(); ++i)
        if (!listed[i])
            entries.push_back({system[i].path, system[i].path, description(i)});
    return entries;
}

} // namespace stepdrive::cli
