// stepdrive-cli --help: the text lives in help.txt, built into the program as
// a resource; its @name@ places are filled here from the parameter table and
// the value ranges, so the text never names a range the program does not hold.

#include "cli/cli.h"
#include "core/profile.h"

#include <QFile>

namespace stepdrive::cli {

QString helpText() {
    QStringList keys;
    for (const ValueRule& rule : kMotorParameters)
        keys << QStringLiteral("%1 (%2 to %3)")
                    .arg(QLatin1String(rule.key))
                    .arg(rule.min)
                    .arg(rule.max);
    QFile file(QStringLiteral(":/stepdrive/cli/help.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    const std::pair<const char*, QString> places[] = {
        {"default_baud", QString::number(kDefaultBaud)},
        {"motor_keys", keys.join(QStringLiteral(",\n                             "))},
        {"table_position_min", QString::number(tablePositionRange().min)},
        {"table_position_max", QString::number(tablePositionRange().max)},
        {"table_speed_min", QString::number(tableSpeedRange().min)},
        {"table_speed_max", QString::number(tableSpeedRange().max)},
    };
    for (const auto& [name, value] : places)
        text.replace(QLatin1Char('@') + QLatin1String(name) + QLatin1Char('@'), value);
    return text;
}

} // namespace stepdrive::cli
