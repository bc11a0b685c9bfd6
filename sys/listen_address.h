#pragma once
// The simulator's TCP address as the command line gives it and as its
// first line says it, the same on every system.

#include <string>

namespace stepdrive::sys {

// The host and port of "HOST:PORT" or "[IPV6]:PORT" (port 0 to 65535);
// false when the address is none.
bool splitListenAddress(const std::string& address, std::string* host, std::string* port);
// "tcp://127.0.0.1:4001", "tcp://[::1]:4001".
std::string tcpAddress(const std::string& numericHost, bool v6, unsigned port);

} // namespace stepdrive::sys
