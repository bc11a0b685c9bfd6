#pragma once
// The system's serial devices: the device COM n is when nothing maps it,
// the one a typed name opens, whether two names are one device, whether
// this program may use one, and the hold on an open one that other
// programs see.

#include <QString>
#include <set>

namespace stepdrive::sys {

// COM n's own device: /dev/ttyS<n-1>, or COM<n> on Windows.
QString comDevice(int n);
// The n whose own device `device` is; 0 for any other.
int comNumberOf(const QString& device);
// The device a typed name opens: a path from / as it stands; one that
// starts with ./ or ../ from the working folder; any other name under /dev
// ("ttyUSB0", "pts/3"), as the serial port itself reads a bare name. On
// Windows, the name as it stands.
QString deviceOf(const QString& name);
// Two character devices with one device number are one device, whatever
// their names (a link, a copy made with mknod).
bool sameDeviceFile(const QString& a, const QString& b);
// The numeric addresses a host name stands for (an IPv4 address mapped
// into IPv6 as the IPv4 one), with the name itself.
std::set<QString> addressesOf(const QString& host);

// Whether `device`, which did not open as a serial port with
// `systemText`, is no serial device at all: a regular file, a folder, or a
// device that refuses a terminal's calls (/dev/null).
bool notSerial(const QString& device, const QString& systemText);

enum class DeviceAccess { ReadWrite, Refused, Missing };
// What the system lets this program do with a device; whether it has it.
DeviceAccess deviceAccess(const QString& path);
// How users are let to use serial devices, for the advice when one is
// refused: through the dialout group, or anyone may.
enum class AccessGrant { DialoutGroup, Anyone };
AccessGrant accessGrant();
// Holds the device open on `handle` against other programs that lock it
// (flock); false when another program holds it so.
bool holdDevice(qintptr handle);
// The same for a handle the system gives as a pointer (Windows' HANDLE).
inline bool holdDevice(void* handle) {
    return holdDevice(reinterpret_cast<qintptr>(handle));
}

} // namespace stepdrive::sys
