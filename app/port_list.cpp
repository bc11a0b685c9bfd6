#include "app/port_list.h"

#include <QFileInfo>

namespace stepdrive {

namespace {
// A device with its maker, product and serial number; where the system says
// none of them, its stable name tells the adapter.
QString described(const SystemPort& p) {
    if (!details(p).isEmpty() || p.byId.isEmpty())
        return describe(p);
    return p.path + QStringLiteral("  ") + QFileInfo(p.byId).fileName();
}
} // namespace

std::vector<PortEntry> portEntries(const std::vector<int>& openedComs,
                                   const std::vector<SystemPort>& system) {
    std::vector<PortEntry> entries;
    for (const PortOffer& o : portOffers(openedComs, system)) {
        const QString text = o.system ? described(*o.system) : o.device;
        // A device the system alone reports is listed by its description.
        entries.push_back({o.system && o.port == o.device ? text : o.port, text, o.port});
    }
    return entries;
}

} // namespace stepdrive
