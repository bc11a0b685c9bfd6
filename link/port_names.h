#pragma once
// COM numbers and typed names to devices. STEPDRIVE_COM<n> names any device
// (a USB adapter, a pseudo-terminal, a device server's address); without it
// COM n is /dev/ttyS<n-1> (COM<n> on Windows). A device typed by name is
// resolved once, here, and that path is what is opened, compared and named.

#include <QString>
#include <optional>

namespace stepdrive {

// The device path for COM n, or an empty string for n < 1.
QString portDevice(int n);

// "COM4" and the like.
inline QString comName(int n) {
    return QStringLiteral("COM%1").arg(n);
}

// A port as the operator names it: COM n (device empty), or a device named
// directly (com 0). Neither, when both are empty.
struct PortChoice {
    int com = 0;
    QString device;

    // "COM4", or the device: how the port is shown and kept.
    QString text() const { return device.isEmpty() ? comName(com) : device; }
    // The device it opens: COM n's, or the one the typed name resolves to
    // (sys::deviceOf: "ttyS0" is /dev/ttyS0).
    QString path() const;
    // How messages name it: "COM4 (/dev/ttyS3)", "ttyS0 (/dev/ttyS0)",
    // "/dev/ttyUSB0"; the device alone where it is what was typed.
    QString label() const;
};

// Reads a typed port: "COM12" or "com12" or "12" is COM 12; "COM0", "0" and
// blanks are no port; any other text names a device ("/dev/ttyUSB0",
// "\\.\COM12", "tcp://10.0.0.7:4001").
PortChoice parsePortChoice(const QString& text);

// A serial device server's TCP port: "tcp://HOST:PORT" carries the bytes as
// they are, at the server's own line settings; "rfc2217://HOST:PORT" is
// telnet with COM-PORT-CONTROL, which sets the far line. HOST is a name, an
// IPv4 address or an IPv6 address in brackets ("[::1]").
struct NetAddress {
    enum class Mode { Raw, Rfc2217 };
    Mode mode = Mode::Raw;
    QString host; // without the brackets
    quint16 port = 0;
};

// True for a name in one of the two network forms, well made or not.
bool isNetworkName(const QString& name);
// The address a network name gives; nullopt when it is not one, or when its
// host or port is missing or wrong.
std::optional<NetAddress> parseNetAddress(const QString& name);

} // namespace stepdrive
