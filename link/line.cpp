#include "link/line.h"

#include "link/net_line.h"
#include "link/port_names.h"
#include "link/serial_line.h"

namespace stepdrive {

std::unique_ptr<Line> makeLine(const QString& path, LineEvents events, int connectTimeoutMs) {
    if (!isNetworkName(path))
        return std::make_unique<SerialLine>(std::move(events));
    auto net = std::make_unique<NetLine>(std::move(events));
    net->setConnectTimeout(connectTimeoutMs);
    return net;
}

} // namespace stepdrive
