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

// Which part of a settings string could not be used, and what it held.
struct LineSettingsFault {
    enum class Part { Shape, Baud, Parity, DataBits, StopBits };
    Part part = Part::Shape;
    QString text;  // the whole settings string
    QString value; // the part refused (empty for Shape)
};

// The settings, or nullopt with what was wrong in *fault.
std::optional<LineSettings> parseLineSettings(const QString& text,
                                              LineSettingsFault* fault = nullptr);

} // namespace stepdrive
