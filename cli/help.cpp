// stepdrive-cli --help: the text lives in help.txt, built into the program as
// a resource; its @name@ places are filled here from the parameter table and
// the value ranges, so the text never names a range the program does not hold.
// A command's help is made of the same text, picked by its row of the
// command table.

#include "cli/help.h"

#include "cli/cli.h"
#include "cli/commands.h"
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

namespace {

// The entries under `heading` in `text`: each starts on a line indented by
// two and runs on over the lines indented further, up to a blank line.
QStringList entries(const QString& text, const QString& heading) {
    QStringList found;
    const QString section = text.section(heading + QLatin1Char('\n'), 1).section("\n\n", 0, 0);
    for (const QString& line : section.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        if (line.startsWith(QLatin1String("  ")) && line.size() > 2 && line[2] != QLatin1Char(' '))
            found << line;
        else if (!found.isEmpty())
            found.last() += QLatin1Char('\n') + line;
    }
    return found;
}

// The first of `all` whose leading words `leads` accepts.
QString entry(const QStringList& all, const std::function<bool(const QStringList&)>& leads) {
    for (const QString& e : all)
        if (leads(e.section(QLatin1Char('\n'), 0, 0).split(QLatin1Char(' '), Qt::SkipEmptyParts)))
            return e + QLatin1Char('\n');
    return {};
}

// The options a command takes (Takes), by their long names.
QStringList optionsTaken(int takes) {
    const bool port = !(takes & kNoPort);
    QStringList names;
    if (port)
        names += QStringList{"port", "baud", "timeout"};
    names += QStringLiteral("json");
    if (port)
        names += QStringLiteral("trace");
    if (takes & kWait)
        names += QStringList{"wait", "wait-timeout"};
    if (takes & kOutput)
        names += QStringLiteral("output");
    if (takes & kWatch)
        names += QStringList{"interval", "duration", "csv"};
    return names;
}

} // namespace

QString helpText(const Syntax& command) {
    const QString all = helpText();
    QString usage = QStringLiteral("Usage: stepdrive-cli ");
    if (command.takes & kAnyPort)
        usage += QStringLiteral("[--port PORT...] ");
    else if (command.takes & kSeveralPorts)
        usage += QStringLiteral("--port PORT... ");
    else if (!(command.takes & kNoPort))
        usage += QStringLiteral("--port PORT ");
    usage += QStringLiteral("[options] ") + (command.words + command.arguments).join(' ') +
             (command.more ? QStringLiteral("...") : QString());

    // A word of the entry names the command's word, or has it among its
    // alternatives (jog left|right).
    const QString described = entry(entries(all, "Commands:"), [&](const QStringList& leading) {
        for (int i = 0; i < command.words.size(); ++i)
            if (!leading.value(i).split(QLatin1Char('|')).contains(command.words[i]))
                return false;
        return true;
    });
    QString options;
    const QStringList optionEntries = entries(all, "Options:");
    for (const QString& name : optionsTaken(command.takes))
        options += entry(optionEntries, [&](const QStringList& leading) {
            for (QString word : leading.mid(0, 2)) // "-o, --output FILE"
                if (word.remove(QLatin1Char(',')) == QLatin1String("--") + name)
                    return true;
            return false;
        });
    QString exits;
    const QStringList exitEntries = entries(all, "Exit status:");
    for (const ExitStatus status : command.exits)
        exits += entry(exitEntries, [&](const QStringList& leading) {
            return leading.value(0) == QString::number(status);
        });
    return usage + "\n\n" + described + "\nOptions:\n" + options + "\nExit status:\n" + exits +
           "\nExample:\n  " + QLatin1String(command.example) + '\n';
}

} // namespace stepdrive::cli
