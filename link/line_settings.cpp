#include "link/line_settings.h"

#include <QStringList>

namespace stepdrive {

std::optional<LineSettings> parseLineSettings(const QString& text, QString* reason) {
    const QStringList parts = text.split(QLatin1Char(','));
    auto fail = [&](const QString& why) {
        if (reason)
            *reason = QStringLiteral("통신 설정 \"%1\"을(를) 쓸 수 없습니다: %2").arg(text, why);
        return std::nullopt;
    };
    if (parts.size() != 4)
        return fail(QStringLiteral("형식은 \"속도,패리티,데이터 비트,정지 비트\"입니다"));

    LineSettings s;
    bool ok = false;
    s.baud = parts[0].trimmed().toInt(&ok);
    if (!ok || s.baud <= 0)
        return fail(QStringLiteral("통신속도 \"%1\"은(는) 숫자가 아닙니다").arg(parts[0]));

    const QString parity = parts[1].trimmed().toUpper();
    if (parity.size() != 1 || !QStringLiteral("NEOMS").contains(parity))
        return fail(QStringLiteral("패리티 \"%1\"").arg(parts[1]));
    s.parity = parity[0].toLatin1();

    s.dataBits = parts[2].trimmed().toInt(&ok);
    if (!ok || s.dataBits < 5 || s.dataBits > 8)
        return fail(QStringLiteral("데이터 비트 \"%1\"").arg(parts[2]));

    s.stopBits = parts[3].trimmed().toInt(&ok);
    if (!ok || (s.stopBits != 1 && s.stopBits != 2))
        return fail(QStringLiteral("정지 비트 \"%1\"").arg(parts[3]));
    return s;
}

} // namespace stepdrive
