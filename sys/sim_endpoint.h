#pragma once
// Where the simulated driver meets its host: the master side of a
// pseudo-terminal, or a TCP port that serves one client at a time, as a
// device server does. Bytes in, bytes out, and one wait for whichever comes
// first, or for the request to stop (SIGINT or SIGTERM).

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace stepdrive::sys {

class SimEndpoint {
public:
    virtual ~SimEndpoint() = default;

    // What the simulator's first line says: the device path of the slave
    // side, or "tcp://HOST:PORT".
    virtual std::string where() const = 0;

    struct Woken {
        bool in = false;   // bytes may be read
        bool out = false;  // bytes may be written
        bool stop = false; // a stop was asked for
    };
    // Waits for bytes to read, for room to write when `writing`, for
    // `timeout` (none: no limit), or for a stop.
    virtual Woken wait(bool writing, std::optional<std::chrono::nanoseconds> timeout) = 0;
    // Reads at most `size` bytes of what came: 0 when none did. A host that
    // went away is no failure: the endpoint waits for the next.
    virtual std::size_t read(std::uint8_t* into, std::size_t size) = 0;
    // Writes what it can of `bytes`: how many went (none without a host).
    virtual std::size_t write(const std::uint8_t* bytes, std::size_t size) = 0;
    // How many hosts came so far: each TCP client is one, the
    // pseudo-terminal's is one for good. A new host starts on a clean line.
    virtual int hosts() const = 0;
};

// A new pseudo-terminal; nullptr with *error.
std::unique_ptr<SimEndpoint> openPseudoTerminal(std::string* error);
// A TCP port at `address`, "HOST:PORT" ("127.0.0.1:4001", "[::1]:0",
// "localhost:4001"; port 0 takes a free one); nullptr with *error.
std::unique_ptr<SimEndpoint> listenOn(const std::string& address, std::string* error);

} // namespace stepdrive::sys
