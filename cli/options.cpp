#include "cli/options.h"

#include "cli/reached.h"
#include "link/port_names.h"

#include <QCommandLineParser>
#include <algorithm>
#include <cmath>

namespace stepdrive::cli {

namespace {

constexpr double kLongestTimeoutS = 3600.0;
constexpr double kLongestWatchS = 7 * 24 * 3600.0;
const int kIntervalsMs[] = {50, 100, 200, 500};

// "-1000" and "-.5": a value, never an option.
bool negativeNumber(const QString& argument) {
    return argument.size() > 1 && argument[0] == QLatin1Char('-') &&
           (argument[1].isDigit() || argument[1] == QLatin1Char('.'));
}

// Marks a negative number among the command's words, which the parser
// would take for an option, as a word: the mark is taken off again after.
// A negative number right after an option that takes a value is that value.
const QChar kWordMark(0x1);

QStringList marked(const QStringList& arguments, const QList<QCommandLineOption>& options) {
    QStringList takingValue;
    for (const QCommandLineOption& o : options)
        if (!o.valueName().isEmpty())
            for (const QString& name : o.names())
                takingValue << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) +
                                   name;
    QStringList kept;
    for (const QString& a : arguments)
        kept << (negativeNumber(a) && !takingValue.contains(kept.value(kept.size() - 1))
                     ? kWordMark + a
                     : a);
    return kept;
}

} // namespace

std::optional<Options> parseOptions(const QStringList& arguments, QString* error) {
    const QCommandLineOption port(QStringLiteral("port"), {}, QStringLiteral("PORT"));
    const QCommandLineOption baud(QStringLiteral("baud"), {}, QStringLiteral("N"));
    const QCommandLineOption timeout(QStringLiteral("timeout"), {}, QStringLiteral("S"));
    const QCommandLineOption wait(QStringLiteral("wait"), {});
    const QCommandLineOption waitTimeout(QStringLiteral("wait-timeout"), {}, QStringLiteral("S"));
    const QCommandLineOption json(QStringLiteral("json"), {});
    const QCommandLineOption trace(QStringLiteral("trace"), {});
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")}, {});
    const QCommandLineOption version(QStringLiteral("version"), {});
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")}, {},
                                    QStringLiteral("FILE"));
    const QCommandLineOption interval(QStringLiteral("interval"), {}, QStringLiteral("MS"));
    const QCommandLineOption duration(QStringLiteral("duration"), {}, QStringLiteral("S"));
    const QCommandLineOption csv(QStringLiteral("csv"), {});
    const QList<QCommandLineOption> all{port, baud,    timeout, wait,     waitTimeout, json, trace,
                                        help, version, output,  interval, duration,    csv};
    QCommandLineParser parser;
    parser.addOptions(all);
    if (!parser.parse(QStringList{QStringLiteral("stepdrive-cli")} + marked(arguments, all))) {
        const QStringList unknown = parser.unknownOptionNames();
        *error = unknown.isEmpty()
                     ? parser.errorText()
                     : QStringLiteral("unknown option %1%2")
                           .arg(unknown[0].size() == 1 ? QStringLiteral("-") : QStringLiteral("--"),
                                unknown[0]);
        return std::nullopt;
    }

    Options o;
    o.ports = parser.values(port);
    for (const QString& word : parser.positionalArguments())
        o.words << (word.startsWith(kWordMark) ? word.mid(1) : word);
    o.json = parser.isSet(json);
    o.trace = parser.isSet(trace);
    o.help = parser.isSet(help);
    o.version = parser.isSet(version);
    o.output = parser.value(output);
    if (parser.isSet(output) && o.output.isEmpty()) {
        *error = QStringLiteral("--output: no file named");
        return std::nullopt;
    }
    for (const QString& p : o.ports) {
        const QString path = parsePortChoice(p).path();
        const char* why = p.startsWith(QLatin1Char('-')) ? "is an option, not a port"
                          : path.isEmpty()               ? "names no port"
                          // A trailing "/", a port of leading zeros or out of range.
                          : isNetworkName(path) && !parseNetAddress(path)
                              ? "is not an address (tcp://HOST:PORT or rfc2217://HOST:PORT)"
                              : nullptr;
        if (why) {
            *error = QStringLiteral("--port: \"%1\" %2").arg(cut(p), QLatin1String(why));
            return std::nullopt;
        }
    }
    if (parser.isSet(baud)) {
        const QString v = parser.value(baud);
        bool ok = false;
        o.baud = v.toInt(&ok);
        if (!ok || o.baud <= 0) {
            *error = QStringLiteral("--baud: \"%1\" is not a line speed").arg(v);
            return std::nullopt;
        }
    }
    o.wait = parser.isSet(wait);
    // Seconds above 0 and up to `longest`, as milliseconds.
    const auto seconds = [&](const QCommandLineOption& option, int* ms,
                             double longest = kLongestTimeoutS) {
        if (!parser.isSet(option))
            return true;
        const QString v = parser.value(option);
        bool ok = false;
        const double s = v.toDouble(&ok);
        if (!ok || !(s > 0) || s > longest) {
            *error = QStringLiteral("--%1: \"%2\" is not a number of seconds above 0 and up to %3")
                         .arg(option.names().constFirst(), v)
                         .arg(longest);
            return false;
        }
        *ms = std::max(1, static_cast<int>(std::lround(s * 1000)));
        return true;
    };
    int watchMs = 0;
    if (!seconds(timeout, &o.timeoutMs) || !seconds(waitTimeout, &o.waitTimeoutMs) ||
        !seconds(duration, &watchMs, kLongestWatchS))
        return std::nullopt;
    if (watchMs > 0)
        o.durationMs = watchMs;
    o.csv = parser.isSet(csv);
    bool ok = !parser.isSet(interval);
    if (!ok)
        o.intervalMs = parser.value(interval).toInt(&ok);
    if (!ok || std::find(std::begin(kIntervalsMs), std::end(kIntervalsMs), o.intervalMs) ==
                   std::end(kIntervalsMs)) {
        *error = QStringLiteral("--interval: \"%1\" is not 50, 100, 200 or 500 (ms)")
                     .arg(cut(parser.value(interval)));
        return std::nullopt;
    }
    o.watching = parser.isSet(interval) || parser.isSet(duration) || o.csv;
    if (o.csv && o.json)
        *error = QStringLiteral("--csv and --json don't go together");
    else if (parser.isSet(waitTimeout) && !o.wait)
        *error = QStringLiteral("--wait-timeout goes with --wait only");
    else
        return o;
    return std::nullopt;
}

} // namespace stepdrive::cli
