#pragma once
// The client's side of telnet with COM-PORT-CONTROL, as serial device
// servers speak it: binary mode both ways, so CR and 0xFF pass unchanged;
// 0xFF doubled in what is sent and undone in what is received; the far
// line's speed and format set and the server's answers checked.

#include "core/line_settings.h"
#include "link/server_refusal.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>

namespace stepdrive {

namespace telnet {
constexpr std::uint8_t kIac = 255, kDont = 254, kDo = 253, kWont = 252, kWill = 251, kSb = 250,
                       kSe = 240;
constexpr std::uint8_t kBinary = 0, kSuppressGoAhead = 3, kComPort = 44;
// COM-PORT-CONTROL commands; the server answers each with its code + 100.
constexpr std::uint8_t kSetBaud = 1, kSetDataSize = 2, kSetParity = 3, kSetStopSize = 4;
constexpr std::uint8_t kServerOffset = 100;
} // namespace telnet

// `data` with every 0xFF doubled.
QByteArray escapeIac(const QByteArray& data);

// True when the first bytes a server sent are telnet negotiation (IAC, then
// WILL, WONT, DO, DONT or SB): a device server in RFC 2217 mode speaks so
// as soon as a client connects, a drive never does.
bool telnetSpoken(const QByteArray& first);

class Rfc2217Client {
public:
    enum class State { Negotiating, Ready, Refused };

    explicit Rfc2217Client(const LineSettings& wanted);

    // What the client sends once the server has spoken first: the requests
    // for binary mode and COM-PORT-CONTROL its negotiation has not settled.
    QByteArray start();
    // Takes bytes from the server, in pieces of any size; returns the data
    // bytes among them and appends to *answer what the client must send back.
    QByteArray feed(const QByteArray& in, QByteArray* answer);

    State state() const { return state_; }
    // True once the server said anything in telnet.
    bool heardTelnet() const { return heard_; }
    // Why the server was refused: "COM-PORT-CONTROL refused", "9600 baud set,
    // not 19200", in English, and as data; empty unless Refused.
    const QString& refusal() const { return refusal_; }
    const ServerRefusal& refused() const { return refused_; }
    // True when the refusal is the far line's speed or format, not telnet.
    bool farLineRefused() const { return refused_.what >= ServerRefusal::What::FarBaud; }

private:
    void command(std::uint8_t verb, std::uint8_t option, QByteArray* answer);
    void subnegotiation();
    void refuse(const QString& why, const ServerRefusal& refused);
    void checkReady();

    // Each setting the client asks for, and whether the server confirmed it.
    struct Setting {
        std::uint8_t command;
        std::uint32_t value;
        int size; // bytes of the value
        bool confirmed = false;
    };
    std::array<Setting, 4> settings_;

    enum class Parse { Data, Iac, Option, Sub, SubIac };
    Parse parse_ = Parse::Data;
    std::uint8_t verb_ = 0;
    QByteArray sub_;
    // Per option: enabled on our side / the server's, and asked by us and
    // not answered yet.
    std::array<bool, 256> us_{}, him_{}, askedUs_{}, askedHim_{};
    State state_ = State::Negotiating;
    bool heard_ = false;
    bool settingsSent_ = false;
    QString refusal_;
    ServerRefusal refused_;
};

} // namespace stepdrive
