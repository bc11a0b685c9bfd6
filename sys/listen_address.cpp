#include "sys/listen_address.h"

#include <algorithm>

namespace stepdrive::sys {

bool splitListenAddress(const std::string& address, std::string* host, std::string* port) {
    const std::size_t colon = address.rfind(':');
    if (colon == std::string::npos)
        return false;
    *host = address.substr(0, colon);
    *port = address.substr(colon + 1);
    if (host->size() > 2 && host->front() == '[' && host->back() == ']')
        *host = host->substr(1, host->size() - 2);
    const bool number =
        !port->empty() && port->size() <= 5 &&
        std::all_of(port->begin(), port->end(), [](char c) { return c >= '0' && c <= '9'; });
    return !host->empty() && number && std::stol(*port) <= 65535;
}

std::string tcpAddress(const std::string& numericHost, bool v6, unsigned port) {
    return "tcp://" + (v6 ? "[" + numericHost + "]" : numericHost) + ":" + std::to_string(port);
}

} // namespace stepdrive::sys
