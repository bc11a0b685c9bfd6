#pragma once
// The device behind a port control: a serial device (SerialLine) or a
// serial device server's port (NetLine). It hands each block that comes in
// to its owner and says once when an open line is lost; the port control
// never knows which kind it holds: makeLine picks it by the device's name.

#include "core/line_settings.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

namespace stepdrive {

struct DeviceFault;

class Line {
public:
    virtual ~Line() = default;
    // Opens `path` with `settings`; false with the reason in *fault.
    virtual bool open(const QString& path, const LineSettings& settings, DeviceFault* fault) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    virtual int bytesWaiting() const = 0;
    // Removes and returns at most `max` of the oldest bytes received.
    virtual QByteArray read(int max) = 0;
    virtual void discard() = 0;
    // Puts the whole block on the wire (or the network) before it returns.
    virtual bool write(const QByteArray& block, DeviceFault* fault) = 0;
};

// What a line tells its owner: each block as it comes in, and once that the
// open line went away.
struct LineEvents {
    std::function<void(const QByteArray&)> arrived;
    std::function<void(const DeviceFault&)> lost;
};

// Makes the line for the device `path` names. `connectTimeoutMs` bounds
// connecting to a device server (and setting its far line).
using MakeLine = std::function<std::unique_ptr<Line>(const QString& path, LineEvents events,
                                                     int connectTimeoutMs)>;

// The shipped lines: a device server's port (NetLine) for a network name
// ("tcp://HOST:PORT", "rfc2217://HOST:PORT"), else a serial device (SerialLine).
std::unique_ptr<Line> makeLine(const QString& path, LineEvents events, int connectTimeoutMs);

} // namespace stepdrive
