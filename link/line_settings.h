#pragma once
// Line settings strings such as "19200,N,8,1": baud, parity, data bits, stop bits.

#include <QString>
#include <optional>

namespace stepdrive {

struct LineSettings {
    qint32 baud = 9600;
    char parity = 'N'; // N, E, O, M or S
    int dataBits = 8;  // 5 to 8
    int stopBits = 1;  // 1 or 2
};

// The settings, or nullopt with the reason in *reason.
std::optional<LineSettings> parseLineSettings(const QString& text, QString* reason);

} // namespace stepdrive
