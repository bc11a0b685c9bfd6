#include "core/line_settings.h"

#include <QStringList>

namespace stepdrive {

std::optional<LineSettings> parseLineSettings(const QString& text, LineSettingsFault* fault) {
    using Part = LineSettingsFault::Part;
    const QStringList parts = text.split(QLatin1Char(','));
    auto fail = [&](Part part, const QString& value) {
        if (fault)
            *fault = {part, text, value};
        return std::nullopt;
    };
    if (parts.size() != 4)
        return fail(Part::Shape, {});

    LineSettings s;
    bool ok = false;
    s.baud = parts[0].trimmed().toInt(&ok);
    if (!ok || s.baud <= 0)
        return fail(Part::Baud, parts[0]);

    const QString parity = parts[1].trimmed().toUpper();
    if (parity.size() != 1 || !QStringLiteral("NEOMS").contains(parity))
        return fail(Part::Parity, parts[1]);
    s.parity = parity[0].toLatin1();

    s.dataBits = parts[2].trimmed().toInt(&ok);
    if (!ok || s.dataBits < 5 || s.dataBits > 8)
        return fail(Part::DataBits, parts[2]);

    s.stopBits = parts[3].trimmed().toInt(&ok);
    if (!ok || (s.stopBits != 1 && s.stopBits != 2))
        return fail(Part::StopBits, parts[3]);
    return s;
}

} // namespace stepdrive
