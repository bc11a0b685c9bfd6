#include "app/port_list.h"

#include "link/port_names.h"

namespace stepdrive {

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
