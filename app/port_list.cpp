#include "app/port_list.h"

namespace stepdrive {

std::vector<PortEntry> portEntries(const std::vector<int>& openedComs,
                                   const std::vector<SystemPort>& system) {
    std::vector<PortEntry> entries;
    for (const PortOffer& o : portOffers(openedComs, system)) {
        const QString described = o.system ? describe(*o.system) : o.device;
        // A device the system alone reports is listed by its description.
        entries.push_back({o.system && o.port == o.device ? described : o.port, described, o.port});
    }
    return entries;
}

} // namespace stepdrive
