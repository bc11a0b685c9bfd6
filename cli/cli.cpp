#include "cli/cli.h"

#include "cli/exchange.h"
#include "cli/monitor.h"
#include "cli/output.h"
#include "cli/reached.h"
#include "cli/scan.h"
#include "cli/session.h"
#include "core/profile.h"
#include "core/version.h"
#include "link/comm_control.h"
#include "link/pause.h"
#include "link/port_names.h"

#include <QCommandLineParser>
#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QTextStream>
#include <QThread>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <mutex>
#include <optional>
#include <sys/stat.h>
#include <utility>
#include <vector>

namespace stepdrive::cli {

namespace {

const QString kProgram = QStringLiteral("stepdrive-cli");
constexpr double kDefaultTimeoutS = 1.0;
constexpr double kDefaultWaitTimeoutS = 60.0;
constexpr double kLongestTimeoutS = 3600.0;
// The jog speed's range, as the main panel labels it.
constexpr Range kJogSpeed{0, 2047};

struct Options {
    QStringList ports;
    int baud = kDefaultBaud;
    int timeoutMs = static_cast<int>(kDefaultTimeoutS * 1000);
    bool wait = false;
    int waitTimeoutMs = static_cast<int>(kDefaultWaitTimeoutS * 1000);
    bool json = false;
    bool trace = false;
    QString output; // dump -o FILE
    bool help = false;
    bool version = false;
    QStringList words; // the command and its arguments
    // Writes a progress line to standard error, from any line's thread;
    // empty when there is to be no progress.
    std::function<void(const QString&)> sayProgress;
};

// "COM5 writing motor 7/7, table 3/7": a drive's sections of one phase.
QString progressLine(const QString& port, const QString& phase,
                     const std::vector<std::pair<QString, QString>>& sections) {
    QStringList done;
    for (const auto& [section, count] : sections)
        done << section + QLatin1Char(' ') + count;
    return QStringLiteral("%1 %2 %3").arg(port, phase, done.join(QStringLiteral(", ")));
}

// A negative number ("move rel -1000") is a value, never an option: it
// passes the parser behind a mark that is taken off afterwards.
const QChar kShield(0x01);

QString shielded(const QString& argument) {
    const bool negative = argument.size() > 1 && argument[0] == QLatin1Char('-') &&
                          (argument[1].isDigit() || argument[1] == QLatin1Char('.'));
    return negative ? kShield + argument : argument;
}

QString unshielded(QString text) {
    if (text.startsWith(kShield))
        text.remove(0, 1);
    return text;
}

// The options and the command's words, or nullopt with *error.
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
    QCommandLineParser parser;
    parser.addOptions({port, baud, timeout, wait, waitTimeout, json, trace, help, version, output});
    QStringList all{kProgram};
    for (const QString& a : arguments)
        all << shielded(a);
    if (!parser.parse(all)) {
        const QStringList unknown = parser.unknownOptionNames();
        *error = unknown.isEmpty()
                     ? parser.errorText()
                     : QStringLiteral("unknown option %1%2")
                           .arg(unknown[0].size() == 1 ? QStringLiteral("-") : QStringLiteral("--"),
                                unknown[0]);
        return std::nullopt;
    }

    Options o;
    for (const QString& p : parser.values(port))
        o.ports << unshielded(p);
    for (const QString& w : parser.positionalArguments())
        o.words << unshielded(w);
    o.json = parser.isSet(json);
    o.trace = parser.isSet(trace);
    o.help = parser.isSet(help);
    o.version = parser.isSet(version);
    o.output = unshielded(parser.value(output));
    if (parser.isSet(output) && o.output.isEmpty()) {
        *error = QStringLiteral("--output: no file named");
        return std::nullopt;
    }
    for (const QString& p : o.ports)
        if (parsePortChoice(p).path().isEmpty()) {
            *error = QStringLiteral("--port: \"%1\" names no port").arg(cut(p));
            return std::nullopt;
        }
    if (parser.isSet(baud)) {
        const QString v = unshielded(parser.value(baud));
        bool ok = false;
        o.baud = v.toInt(&ok);
        if (!ok || o.baud <= 0) {
            *error = QStringLiteral("--baud: \"%1\" is not a line speed").arg(v);
            return std::nullopt;
        }
    }
    o.wait = parser.isSet(wait);
    // Seconds above 0 and up to an hour, as milliseconds.
    const auto seconds = [&](const QCommandLineOption& option, int* ms) {
        if (!parser.isSet(option))
            return true;
        const QString v = unshielded(parser.value(option));
        bool ok = false;
        const double s = v.toDouble(&ok);
        if (!ok || !(s > 0) || s > kLongestTimeoutS) {
            *error = QStringLiteral("--%1: \"%2\" is not a number of seconds above 0 and up to %3")
                         .arg(option.names().constFirst(), v)
                         .arg(kLongestTimeoutS);
            return false;
        }
        *ms = std::max(1, static_cast<int>(std::lround(s * 1000)));
        return true;
    };
    if (!seconds(timeout, &o.timeoutMs) || !seconds(waitTimeout, &o.waitTimeoutMs))
        return std::nullopt;
    return o;
}

using Values = std::vector<std::pair<QString, QJsonValue>>;

Values valuesOf(const std::vector<Item>& items) {
    Values v;
    for (const Item& item : items)
        v.emplace_back(item.key, item.value);
    return v;
}

// What a command prints on standard output: key=value lines; or with --json
// one object, made whole when the command ends (see finish()).
class Printer {
public:
    // `port` is the --port given; null for none.
    Printer(QTextStream& out, bool json, QJsonValue port = {})
        : out_(out), json_(json), port_(std::move(port)) {}

    void values(const Values& values) {
        if (json_) {
            result_ = nestedValues(values, result_);
            return;
        }
        for (const auto& [key, value] : values)
            out_ << key << '=' << plain(value) << '\n';
    }
    void profile(const Profile& p) {
        if (json_)
            add(toJson(p));
        else
            values(valuesOf(items(p)));
    }
    // Always JSON: a whole profile file without --json.
    void document(const QJsonObject& o) {
        if (json_)
            add(o);
        else
            out_ << QJsonDocument(o).toJson(QJsonDocument::Indented);
    }
    void add(const QJsonObject& o) {
        for (auto i = o.begin(); i != o.end(); ++i)
            result_[i.key()] = i.value();
    }
    bool json() const { return json_; }
    QString port() const { return port_.toString(); }

    // With --json, prints the one object: the port, the result, and on
    // failure `error` ({"status", "message", ...}).
    void finish(const QJsonObject& error = {}) {
        if (!json_)
            return;
        result_[QStringLiteral("port")] = port_;
        if (!error.isEmpty())
            result_[QStringLiteral("error")] = error;
        out_ << QJsonDocument(result_).toJson(QJsonDocument::Compact) << '\n';
    }

private:
    static QString plain(const QJsonValue& v) {
        if (v.isBool())
            return v.toBool() ? QStringLiteral("1") : QStringLiteral("0");
        if (v.isDouble())
            return QString::number(v.toInteger());
        return v.toString();
    }

    QTextStream& out_;
    bool json_;
    QJsonValue port_;
    QJsonObject result_;
};

// A command checked in full, ready to run over a session.
using Command = std::function<int(Session&, Printer&, QTextStream& err)>;

// A value on the command line: a whole number, as in a profile; a fraction
// of zeros ("20.0") is whole, any other fraction is refused.
std::optional<std::int32_t> wholeNumber(const QString& text, const QString& what, Range range,
                                        QString* error) {
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(?:([0-9]+)(?:\\.(0*))?|[0-9]*\\.[0-9]+|[0-9]+\\.[0-9]*)$"));
    const QString t = text.trimmed();
    const QRegularExpressionMatch m = number.match(t);
    if (!m.hasMatch()) {
        *error = QStringLiteral("%1: \"%2\" is not a number").arg(what, cut(text));
        return std::nullopt;
    }
    if (m.captured(1).isEmpty()) {
        *error = QStringLiteral("%1: \"%2\" is not a whole number").arg(what, cut(text));
        return std::nullopt;
    }
    bool fits = false;
    const qlonglong value = t.section(QLatin1Char('.'), 0, 0).toLongLong(&fits);
    if (!fits || value < range.min || value > range.max) {
        *error = QStringLiteral("%1: %2 is out of range (%3 to %4)")
                     .arg(what, t.section(QLatin1Char('.'), 0, 0))
                     .arg(range.min)
                     .arg(range.max);
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

// What the driver holds of the values compared: by key, and as JSON.
struct Held {
    std::vector<Item> items;
    QJsonObject json;
};

Held heldOf(const Profile& p) {
    return {items(p), toJson(p)};
}

// Values read one by one, nested by their keys.
Held heldOf(const std::vector<Item>& items) {
    return {items, nestedValues(valuesOf(items))};
}

// Compares what was written, or what the file `verified` holds, with what
// the driver holds; prints what it holds, or the differences.
int compare(Printer& print, QTextStream& err, const std::vector<Item>& wanted, const Held& held,
            std::optional<bool> in2Used, const QString& verified = {}) {
    const bool wrote = verified.isEmpty();
    const std::vector<Difference> found = differences(wanted, held.items);
    QJsonArray unverified;
    if (in2Used) {
        unverified.append(QStringLiteral("belt.in2_used"));
        err << QStringLiteral("belt.in2_used=%1 %2 not verified: the driver can't report it\n")
                   .arg(*in2Used ? QStringLiteral("true") : QStringLiteral("false"),
                        wrote ? QStringLiteral("was sent but") : QStringLiteral("is"));
    }
    if (found.empty()) {
        if (print.json())
            print.add({{QStringLiteral("verified"), held.json},
                       {QStringLiteral("not_verified"), unverified}});
        else
            print.values(valuesOf(held.items));
        return kDone;
    }

    QJsonArray listed;
    Values lines;
    for (const Difference& d : found) {
        const QJsonValue read = d.read ? QJsonValue(*d.read) : QJsonValue();
        listed.append(
            QJsonObject{{QStringLiteral("key"), d.key},
                        {wrote ? QStringLiteral("wrote") : QStringLiteral("file"), d.wrote},
                        {QStringLiteral("read"), read}});
        lines.emplace_back(
            d.key, QStringLiteral("%1 (%2 %3)")
                       .arg(d.read ? QString::number(*d.read) : QStringLiteral("-"),
                            wrote ? QStringLiteral("wrote") : QStringLiteral("the file has"))
                       .arg(d.wrote));
    }
    if (print.json()) {
        Values matched; // the values that did read back as written
        for (const Item& item : held.items)
            if (std::none_of(found.begin(), found.end(),
                             [&](const Difference& d) { return d.key == item.key; }))
                matched.emplace_back(item.key, item.value);
        print.add({{QStringLiteral("differences"), listed},
                   {QStringLiteral("verified"), nestedValues(matched)},
                   {QStringLiteral("not_verified"), unverified}});
    } else
        print.values(lines);
    if (wrote)
        err << QStringLiteral("%1 value(s) read back differ from what was written\n")
                   .arg(found.size());
    else
        err << QStringLiteral("%1 value(s) on the driver differ from %2\n")
                   .arg(found.size())
                   .arg(verified);
    return kReadBackDiffers;
}

// Notes what a command writes (or, with `writes` false, verifies), so that
// a failure can say what reached the drive.
void expect(Session& session, std::vector<Item> wanted, bool writes,
            std::optional<bool> in2Used = std::nullopt) {
    Reached& r = session.reached();
    r.wanted = std::move(wanted);
    r.writes = writes;
    r.in2Used = in2Used;
}

// Writes a profile, reads it back and compares.
int writeAndVerify(Session& session, Printer& print, QTextStream& err, const Profile& wanted) {
    expect(session, items(wanted), true, wanted.in2Used);
    session.write(wanted);
    return compare(print, err, items(wanted), heldOf(session.read(wanted)), wanted.in2Used);
}

// A key a command takes as KEY=VALUE, and the range of its value.
struct Field {
    QString key;
    Range range;
};

template <std::size_t N> std::vector<Field> fieldsOf(const ValueRule (&rules)[N]) {
    std::vector<Field> fields;
    for (const ValueRule& rule : rules)
        fields.push_back({QLatin1String(rule.key), rangeOf(rule)});
    return fields;
}

const QString kIn2Used = QStringLiteral("in2_used");

// The values of KEY=VALUE `settings`, one a field (empty when not given),
// each key given at most once; or nullopt with *error. With `flag`,
// in2_used=true|false is taken too.
std::optional<std::vector<std::optional<std::int32_t>>>
keyValues(const QStringList& settings, const std::vector<Field>& fields, const QString& command,
          QString* error, std::optional<bool>* flag = nullptr) {
    QStringList keys;
    for (const Field& f : fields)
        keys << f.key;
    if (flag)
        keys << kIn2Used;
    if (settings.isEmpty()) {
        *error = QStringLiteral("%1 needs KEY=VALUE (keys: %2)").arg(command, keys.join(", "));
        return std::nullopt;
    }
    std::vector<std::optional<std::int32_t>> values(fields.size());
    QStringList given;
    for (const QString& setting : settings) {
        const QString key = setting.section(QLatin1Char('='), 0, 0);
        const QString text = setting.section(QLatin1Char('='), 1);
        const auto index = keys.indexOf(key);
        if (index < 0 || !setting.contains(QLatin1Char('='))) {
            *error = QStringLiteral("\"%1\" is not KEY=VALUE with one of the keys %2")
                         .arg(cut(setting), keys.join(", "));
            return std::nullopt;
        }
        if (given.contains(key)) {
            *error = QStringLiteral("%1 is given twice").arg(key);
            return std::nullopt;
        }
        given << key;
        if (flag && key == kIn2Used) {
            if (text != QLatin1String("true") && text != QLatin1String("false")) {
                *error = QStringLiteral("in2_used: \"%1\" is not true or false").arg(cut(text));
                return std::nullopt;
            }
            *flag = text == QLatin1String("true");
            continue;
        }
        auto& slot = values[static_cast<std::size_t>(index)];
        slot = wholeNumber(text, key, fields[static_cast<std::size_t>(index)].range, error);
        if (!slot)
            return std::nullopt;
    }
    return values;
}

std::optional<Command> paramsWrite(const QStringList& settings, const Options&, QString* error) {
    const auto values =
        keyValues(settings, fieldsOf(kMotorParameters), QStringLiteral("params write"), error);
    if (!values)
        return std::nullopt;
    Profile wanted;
    std::copy(values->begin(), values->end(), wanted.motor.begin());
    return [wanted](Session& s, Printer& p, QTextStream& err) {
        return writeAndVerify(s, p, err, wanted);
    };
}

std::vector<Item> rowItems(int number, const TableEntry& e) {
    const QString key = QStringLiteral("table.%1.").arg(number);
    return {{key + QLatin1String("position"), e.position},
            {key + QLatin1String("velocity"), e.velocity},
            {key + QLatin1String("acceleration"), e.acceleration}};
}

// The fields not given are read from the driver first; all three are
// written and read back.
std::optional<Command> tableWrite(const QStringList& words, const Options&, QString* error) {
    const auto row = wholeNumber(words[0], QStringLiteral("ROW"), {1, kTableEntries}, error);
    if (!row)
        return std::nullopt;
    const auto v = keyValues(words.mid(1),
                             {{QStringLiteral("position"), tablePositionRange()},
                              {QStringLiteral("velocity"), tableSpeedRange()},
                              {QStringLiteral("acceleration"), tableSpeedRange()}},
                             QStringLiteral("table write ROW"), error);
    if (!v)
        return std::nullopt;
    return Command([n = *row, v = *v](Session& s, Printer& p, QTextStream& err) {
        TableEntry e;
        if (!v[0] || !v[1] || !v[2])
            e = s.readTableEntry(n);
        e = {v[0].value_or(e.position), v[1].value_or(e.velocity), v[2].value_or(e.acceleration)};
        expect(s, rowItems(n, e), true);
        s.writeTableEntry(n, e);
        return compare(p, err, rowItems(n, e), heldOf(rowItems(n, s.readTableEntry(n))),
                       std::nullopt);
    });
}

std::optional<Command> beltWrite(const QStringList& settings, const Options&, QString* error) {
    std::optional<bool> in2Used;
    const auto values = keyValues(settings, fieldsOf(kBeltParameters), QStringLiteral("belt write"),
                                  error, &in2Used);
    if (!values)
        return std::nullopt;
    return Command([in2Used, values = *values](Session& s, Printer& p, QTextStream& err) {
        std::array<std::optional<std::int32_t>, kBeltParameterCount> each;
        std::copy(values.begin(), values.end(), each.begin());
        std::vector<Item> wanted, held;
        for (int i = 0; i < kBeltParameterCount; ++i)
            if (const auto& v = each[static_cast<std::size_t>(i)])
                wanted.push_back(
                    {QStringLiteral("belt.") + QLatin1String(kBeltParameters[i].key), *v});
        expect(s, wanted, true, in2Used);
        s.writeBelt(each, in2Used);
        for (int i = 0; i < kBeltParameterCount; ++i)
            if (each[static_cast<std::size_t>(i)])
                held.push_back({wanted[held.size()].key, s.readBelt(i)});
        return compare(p, err, wanted, heldOf(held), in2Used);
    });
}

std::optional<Profile> readProfile(const QString& path, QString* error) {
    QFile file(path);
    const bool opened = path == QLatin1String("-") ? file.open(stdin, QIODevice::ReadOnly)
                                                   : file.open(QIODevice::ReadOnly);
    if (!opened) {
        *error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    QString why;
    const auto profile = parseProfile(file.readAll(), &why);
    if (!profile)
        *error = QStringLiteral("%1: %2").arg(path, why);
    return profile;
}

std::optional<Command> apply(const QStringList& arguments, const Options&, QString* error) {
    const auto profile = readProfile(arguments[0], error);
    if (!profile)
        return std::nullopt;
    return [wanted = *profile](Session& s, Printer& p, QTextStream& err) {
        return writeAndVerify(s, p, err, wanted);
    };
}

// Reads back what the file holds and compares, writing nothing.
std::optional<Command> verify(const QStringList& arguments, const Options&, QString* error) {
    const QString& path = arguments[0];
    const auto profile = readProfile(path, error);
    if (!profile)
        return std::nullopt;
    return [wanted = *profile, path](Session& s, Printer& p, QTextStream& err) {
        expect(s, items(wanted), false);
        return compare(p, err, items(wanted), heldOf(s.read(wanted)), wanted.in2Used,
                       path == QLatin1String("-") ? QStringLiteral("standard input") : path);
    };
}

// One section of everything readable.
Profile section(const QString& name) {
    const Profile all = everythingReadable();
    Profile p;
    if (name == QLatin1String("motor"))
        p.motor = all.motor;
    else if (name == QLatin1String("table"))
        p.table = all.table;
    else
        p.belt = all.belt;
    return p;
}

Command reading(const Profile& which) {
    return [which](Session& s, Printer& p, QTextStream&) {
        p.profile(s.read(which));
        return static_cast<int>(kDone);
    };
}

// A command that only acts: its reply is checked, and nothing is printed.
Command acting(std::function<void(Session&)> act) {
    return [act = std::move(act)](Session& s, Printer&, QTextStream&) {
        act(s);
        return static_cast<int>(kDone);
    };
}

// A motion started: what it prints, and where it is to end (with --wait).
struct Motion {
    Values values;
    std::optional<std::int32_t> target;
};

// With --wait: waits for the motion to end and adds the position it ended at
// to what `act` gives; a motion that ends away from its target is a failure
// (exit 3), as is one still running at --wait-timeout (exit 4, stopped).
Command moving(std::function<Motion(Session&, bool wait)> act, std::optional<int> waitMs) {
    return [act = std::move(act), waitMs](Session& s, Printer& p, QTextStream&) {
        Motion m = act(s, waitMs.has_value());
        if (waitMs) {
            s.waitUntilStopped(*waitMs);
            const std::int32_t at = s.position();
            m.values.emplace_back(QStringLiteral("position"), at);
            if (m.target && at != *m.target) {
                p.values(m.values);
                s.reached().phase = QStringLiteral("waiting");
                throw Failure{
                    kReadBackDiffers,
                    QStringLiteral("the motor stopped at %1, not at %2").arg(at).arg(*m.target),
                    true};
            }
        }
        p.values(m.values);
        return static_cast<int>(kDone);
    };
}

// --wait's limit, when --wait is given.
std::optional<int> waitLimit(const Options& o) {
    return o.wait ? std::optional<int>(o.waitTimeoutMs) : std::nullopt;
}

// Makes a command of the arguments that follow its words, checked in full,
// or nullopt with *error.
using Builder = std::function<std::optional<Command>(const QStringList& arguments, const Options& o,
                                                     QString* error)>;

// A command that takes no argument.
Builder always(Command command) {
    return [command = std::move(command)](const QStringList&, const Options&, QString*) {
        return std::optional<Command>(command);
    };
}

std::optional<Command> tableRun(const QStringList& arguments, const Options& o, QString* error) {
    const auto row = wholeNumber(arguments[0], QStringLiteral("ROW"), {1, kTableEntries}, error);
    if (!row)
        return std::nullopt;
    return moving(
        [n = *row](Session& s, bool) {
            const TableEntry e = s.readTableEntry(n);
            s.moveToRow(n, e);
            return Motion{valuesOf(rowItems(n, e)), e.position};
        },
        waitLimit(o));
}

// move abs and move rel.
Builder motion(bool relative) {
    return [relative](const QStringList& arguments, const Options& o,
                      QString* error) -> std::optional<Command> {
        const Range anyValue{std::numeric_limits<std::int32_t>::min(),
                             std::numeric_limits<std::int32_t>::max()};
        const auto pulses = wholeNumber(arguments[0], QStringLiteral("PULSES"), anyValue, error);
        if (!pulses)
            return std::nullopt;
        return moving(
            [relative, v = *pulses](Session& s, bool wait) {
                // The position counter is 32 bits wide and wraps.
                const std::uint32_t start =
                    relative && wait ? static_cast<std::uint32_t>(s.position()) : 0;
                s.move(relative, v);
                return Motion{{}, static_cast<std::int32_t>(start + static_cast<std::uint32_t>(v))};
            },
            waitLimit(o));
    };
}

// jog left and jog right.
Builder jogging(bool right) {
    return [right](const QStringList& arguments, const Options&,
                   QString* error) -> std::optional<Command> {
        const auto speed = wholeNumber(arguments[0], QStringLiteral("SPEED"), kJogSpeed, error);
        if (!speed)
            return std::nullopt;
        return acting([right, v = *speed](Session& s) { s.jog(right, v); });
    };
}

std::optional<Command> home(const QStringList&, const Options& o, QString*) {
    return moving(
        [](Session& s, bool) {
            s.homeSearch();
            return Motion{{}, 0}; // the home search ends where it makes position 0
        },
        waitLimit(o));
}

std::optional<Command> outputs(const QStringList& arguments, const Options&, QString* error) {
    const auto first = wholeNumber(arguments[0], QStringLiteral("S1"), {0, 1}, error);
    const auto second =
        first ? wholeNumber(arguments[1], QStringLiteral("S2"), {0, 1}, error) : std::nullopt;
    if (!second)
        return std::nullopt;
    return acting([a = *first, b = *second](Session& s) { s.setOutputs(a, b); });
}

Command position() {
    return [](Session& s, Printer& p, QTextStream&) {
        p.values({{QStringLiteral("position"), s.position()}});
        return static_cast<int>(kDone);
    };
}

// scan's question to each port: its position; a failure is said as it
// stands, since a read changes nothing.
Command probe() {
    return [](Session& s, Printer& p, QTextStream& err) {
        try {
            return position()(s, p, err);
        } catch (Failure f) {
            f.whole = true;
            throw f;
        }
    };
}

Command dump() {
    return [](Session& s, Printer& p, QTextStream&) {
        Profile held = s.read(everythingReadable());
        // Where and when it was dumped, by what; apply and verify pass it by.
        const std::string program = versionText(qPrintable(kProgram));
        held.about = {
            {QStringLiteral("port"), p.port()},
            {QStringLiteral("date"), QDateTime::currentDateTimeUtc().toString(Qt::ISODate)},
            {QStringLiteral("program"),
             QString::fromStdString(program.substr(0, program.find('\n')))}};
        p.document(toJson(held));
        return static_cast<int>(kDone);
    };
}

Command inputs() {
    return [](Session& s, Printer& p, QTextStream&) {
        const Inputs in = s.inputs();
        Values v;
        for (std::size_t i = 0; i < in.in.size(); ++i)
            v.emplace_back(QStringLiteral("in%1").arg(i + 1), in.in[i]);
        v.emplace_back(QStringLiteral("running"), in.running);
        v.emplace_back(QStringLiteral("home_sensor"), in.homeSensor);
        p.values(v);
        return static_cast<int>(kDone);
    };
}

// How each command is written: its words, then the arguments it needs
// (`more`: any number of KEY=VALUE after them), and what makes it.
struct Syntax {
    QStringList words;
    QStringList arguments;
    Builder build;
    bool more = false;
};

const std::vector<Syntax>& syntaxes() {
    static const std::vector<Syntax> all{
        {{"params", "read"}, {}, always(reading(section(QStringLiteral("motor"))))},
        {{"params", "write"}, {"KEY=VALUE"}, paramsWrite, true},
        {{"move", "abs"}, {"PULSES"}, motion(false)},
        {{"move", "rel"}, {"PULSES"}, motion(true)},
        {{"jog", "left"}, {"SPEED"}, jogging(false)},
        {{"jog", "right"}, {"SPEED"}, jogging(true)},
        {{"stop"}, {}, always(acting([](Session& s) { s.stop(); }))},
        {{"home"}, {}, home},
        {{"position"}, {}, always(position())},
        {{"inputs"}, {}, always(inputs())},
        {{"outputs"}, {"S1", "S2"}, outputs},
        {{"table", "read"}, {}, always(reading(section(QStringLiteral("table"))))},
        {{"table", "run"}, {"ROW"}, tableRun},
        {{"table", "write"}, {"ROW", "KEY=VALUE"}, tableWrite, true},
        {{"belt", "read"}, {}, always(reading(section(QStringLiteral("belt"))))},
        {{"belt", "write"}, {"KEY=VALUE"}, beltWrite, true},
        {{"dump"}, {}, always(dump())},
        {{"apply"}, {"FILE"}, apply},
        {{"verify"}, {"FILE"}, verify},
        {{"scan"}, {}, always(probe())}, // scan asks each port for its position
    };
    return all;
}

// The command `words` name, checked in full; or nullopt with *error naming
// what is missing, too much or wrong.
std::optional<Command> prepare(const QStringList& words, const Options& o, QString* error) {
    if (words.isEmpty()) {
        *error = QStringLiteral("no command given");
        return std::nullopt;
    }
    QStringList next; // the words that may follow words[0]
    for (const Syntax& s : syntaxes()) {
        if (s.words[0] == words[0] && s.words.size() > 1)
            next << s.words[1];
        if (words.mid(0, s.words.size()) != s.words)
            continue;
        const QString name = s.words.join(QLatin1Char(' '));
        const auto given = words.size() - s.words.size();
        if (given < s.arguments.size()) {
            *error = QStringLiteral("%1 needs %2")
                         .arg(name, s.arguments.mid(given).join(QStringLiteral(" and ")));
            return std::nullopt;
        }
        if (given > s.arguments.size() && !s.more) {
            *error = QStringLiteral("%1 takes %2; \"%3\" is too much")
                         .arg(name,
                              s.arguments.isEmpty() ? QStringLiteral("no argument")
                                                    : s.arguments.join(QLatin1Char(' ')),
                              words.mid(s.words.size() + s.arguments.size()).join(' '));
            return std::nullopt;
        }
        return s.build(words.mid(s.words.size()), o, error);
    }
    if (words.size() == 1 && !next.isEmpty())
        *error = QStringLiteral("%1 needs %2").arg(words[0], next.join(QStringLiteral(" or ")));
    else if (!next.isEmpty())
        *error = QStringLiteral("%1 takes %2, not \"%3\"")
                     .arg(words[0], next.join(QStringLiteral(" or ")), cut(words[1]));
    else
        *error = QStringLiteral("unknown command \"%1\"").arg(cut(words.join(' ')));
    return std::nullopt;
}

// A device that is no terminal: a regular file, a folder, or a character
// device that refuses the terminal's calls (/dev/null).
bool notSerial(const QString& device, const PortFailure& failure) {
    struct stat st {};
    if (stat(QFile::encodeName(device).constData(), &st) != 0)
        return false;
    return !S_ISCHR(st.st_mode) ||
           failure.systemText == QString::fromLocal8Bit(std::strerror(ENOTTY));
}

// Opens `port` as --port names it: COM n, or a device path; or says why
// not in *error, naming the device when --port gave a COM number.
bool openPort(CommControl& port, const PortChoice& choice, int baud, QString* error) {
    port.setCommPort(choice.com);
    port.setDevice(choice.device);
    port.setSettings(QStringLiteral("%1,N,8,1").arg(baud));
    PortFailure failure;
    const auto reported = QObject::connect(&port, &CommControl::failed,
                                           [&failure](const PortFailure& f) { failure = f; });
    const bool opened = port.setPortOpen(true);
    QObject::disconnect(reported);
    if (opened)
        return true;
    const QString device = choice.path();
    *error = QStringLiteral("the port can't be opened: ") +
             (choice.device.isEmpty() ? device + QStringLiteral(": ") : QString()) +
             (notSerial(device, failure) ? QStringLiteral("not a serial device")
                                         : portFailureText(failure));
    return false;
}

// What the command did on one line: its exit status, what it printed, its
// messages one a line, and on failure the error object.
struct LineResult {
    int status = kDone;
    QString out;
    QString err;
    QJsonObject error;
};

// Runs the command on the line `choice` names, on the calling thread, with a
// port object and a pause of its own.
LineResult runLine(const QString& given, const QString& portObjectName, const Options& o,
                   const Command& command, const PortFactory& makePort,
                   const PauseFactory& makePause) {
    LineResult r;
    QTextStream out(&r.out);
    QTextStream err(&r.err);
    Printer print(out, o.json, given);
    // A failure: its status, and its error object of the status, the
    // message and what reached the drive.
    const auto failed = [&](int status, const QString& message, QJsonObject parts) {
        r.status = status;
        parts[QStringLiteral("status")] = status;
        parts[QStringLiteral("message")] = message;
        r.error = parts;
    };
    const std::unique_ptr<Pause> pause = makePause();
    const std::unique_ptr<CommControl> port = makePort(portObjectName);
    QString error;
    if (!openPort(*port, parsePortChoice(given), o.baud, &error)) {
        err << error << '\n';
        failed(kPortError, error, reachedJson({}));
    } else {
        Exchange exchange(*port, o.timeoutMs);
        Session session(exchange, *pause);
        if (o.sayProgress)
            session.onProgress(
                [&o, given, phase = QString(),
                 sections = std::vector<std::pair<QString, QString>>()](
                    const QString& now, const QString& section, int done, int total) mutable {
                    if (now != phase)
                        sections.clear();
                    phase = now;
                    const QString count = QStringLiteral("%1/%2").arg(done).arg(total);
                    if (sections.empty() || sections.back().first != section)
                        sections.emplace_back(section, count);
                    sections.back().second = count;
                    if (done == total)
                        o.sayProgress(progressLine(given, phase, sections));
                });
        try {
            const int status = command(session, print, err);
            err.flush();
            const QStringList lines = r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            if (status != kDone) // the command said why, on its last line
                failed(status, lines.value(lines.size() - 1), reachedJson(session.reached()));
        } catch (const Failure& f) {
            const QString message =
                f.whole ? f.message
                        : f.message + QStringLiteral(", ") + whatReached(session.reached(), given);
            err << message << '\n';
            failed(f.status, message, reachedJson(session.reached()));
        }
        port->setPortOpen(false);
    }
    err.flush();
    print.finish(r.error);
    return r;
}

// Each line of `text` with `prefix` before it.
QString prefixed(const QString& prefix, const QString& text) {
    QString all;
    for (const QString& line : text.split(QLatin1Char('\n'), Qt::SkipEmptyParts))
        all += prefix + line + QLatin1Char('\n');
    return all;
}

// Every line at once, each on a thread of its own, so that one line's
// pauses hold up no other line.
std::vector<LineResult> runLines(const Options& o, const Command& command,
                                 const PortFactory& makePort, const PauseFactory& makePause) {
    std::vector<LineResult> results(static_cast<std::size_t>(o.ports.size()));
    if (o.ports.size() == 1) {
        results[0] = runLine(o.ports[0], QStringLiteral("cli"), o, command, makePort, makePause);
        return results;
    }
    std::vector<std::unique_ptr<QThread>> threads;
    for (int i = 0; i < o.ports.size(); ++i)
        threads.emplace_back(QThread::create([&, i] {
            results[static_cast<std::size_t>(i)] =
                runLine(o.ports[i], o.ports[i], o, command, makePort, makePause);
        }));
    for (const auto& t : threads)
        t->start();
    for (const auto& t : threads)
        t->wait();
    return results;
}

// Opens each port scanEntries() lists (or each --port given) and asks it
// for the position once; prints what answered.
int scan(Options o, const Command& probe, const PortFactory& makePort,
         const PauseFactory& makePause, QTextStream& out) {
    std::vector<ScanEntry> entries;
    if (o.ports.isEmpty())
        entries = scanEntries(systemPorts());
    for (const QString& p : o.ports)
        entries.push_back({p, parsePortChoice(p).path(), {}});
    const bool json = o.json;
    o.json = true; // each probe's result, to read back here
    o.ports.clear();
    // Each device is probed once: two COM numbers of one device would clash
    // with each other, not with another program.
    std::vector<int> probeOf;
    QStringList devices;
    for (const ScanEntry& e : entries) {
        if (!devices.contains(e.device)) {
            devices << e.device;
            o.ports << e.port;
        }
        probeOf.push_back(static_cast<int>(devices.indexOf(e.device)));
    }
    const std::vector<LineResult> results = runLines(o, probe, makePort, makePause);

    QJsonArray found;
    bool opened = false;
    bool driver = false;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const ScanEntry& e = entries[i];
        const auto p = static_cast<std::size_t>(probeOf[i]);
        const QJsonObject probed = QJsonDocument::fromJson(results[p].out.toUtf8()).object();
        const int status = results[p].status;
        opened = opened || status != kPortError;
        driver = driver || status == kDone;
        QString why = probed[QStringLiteral("error")][QStringLiteral("message")].toString();
        if (o.ports[probeOf[i]] != e.port)
            why = QStringLiteral("the same device as %1").arg(o.ports[probeOf[i]]);
        QJsonObject entry{{QStringLiteral("port"), e.port},
                          {QStringLiteral("device"), e.device},
                          {QStringLiteral("description"), e.description},
                          {QStringLiteral("opened"), status != kPortError},
                          {QStringLiteral("driver"), status == kDone}};
        if (status == kDone)
            entry[QStringLiteral("position")] = probed[QStringLiteral("position")];
        else
            entry[QStringLiteral("message")] = why;
        found.append(entry);
        if (json)
            continue;
        QString label = e.port;
        if (e.device != e.port)
            label += QStringLiteral(" (%1)").arg(e.device);
        if (!e.description.isEmpty())
            label += QStringLiteral(" ") + e.description;
        out << label << ": "
            << (status == kDone ? QStringLiteral("driver, position=%1")
                                      .arg(probed[QStringLiteral("position")].toInteger())
                : status == kPortError ? why
                                       : QStringLiteral("no driver (%1)").arg(why))
            << '\n';
    }
    if (json)
        out << QJsonDocument(QJsonObject{{QStringLiteral("port"), QJsonValue::Null},
                                         {QStringLiteral("ports"), found}})
                   .toJson(QJsonDocument::Compact)
            << '\n';
    // A driver found; else a port opened but no driver answered; else none.
    return driver ? kDone : opened ? kNoReply : kPortError;
}

// One command line, its standard output into `out` whole (see run()).
int runCommand(const QStringList& arguments, const PortFactory& makePort,
               const PauseFactory& makePause, QTextStream& out, QTextStream& err,
               bool errIsTerminal, QString* outputFile) {
    const bool json = arguments.contains(QStringLiteral("--json"));
    // A refused command line or file, said on standard error, and with
    // --json as the one object on standard output.
    const auto refuse = [&](const QString& what, bool usage = true) {
        err << kProgram << ": " << what << '\n';
        if (usage)
            err << "Try '" << kProgram << " --help'.\n";
        Printer(out, json, QJsonValue::Null)
            .finish({{QStringLiteral("status"), kUsageError},
                     {QStringLiteral("message"), what},
                     {QStringLiteral("phase"), QStringLiteral("checking")},
                     {QStringLiteral("sent"), false}});
        return static_cast<int>(kUsageError);
    };
    QString error;
    const auto options = parseOptions(arguments, &error);
    if (!options)
        return refuse(error);
    if (options->help) {
        out << helpText();
        return kDone;
    }
    if (options->version) {
        out << versionText(qPrintable(kProgram)).c_str();
        return kDone;
    }
    const auto command = prepare(options->words, *options, &error);
    const QString verb = options->words.value(0);
    const bool reads = verb == QLatin1String("apply") || verb == QLatin1String("verify");
    if (!command && reads && options->words.size() == 2)
        return refuse(error, false); // the command line is right; the file is not
    if (!command)
        return refuse(error);
    const bool moves = verb == QLatin1String("move") || verb == QLatin1String("home") ||
                       options->words.mid(0, 2) == QStringList{"table", "run"};
    if (options->wait && !moves)
        return refuse(QStringLiteral("--wait goes with move, home and table run only"));
    const bool document = verb == QLatin1String("dump");
    if (!options->output.isEmpty() && !document)
        return refuse(QStringLiteral("--output goes with dump only"));
    *outputFile = options->output;
    if (options->trace)
        QLoggingCategory::setFilterRules(QStringLiteral("stepdrive.link.debug=true"));
    const QStringList& ports = options->ports;
    for (int i = 0; i < ports.size(); ++i)
        for (int j = 0; j < i; ++j)
            if (parsePortChoice(ports[i]).path() == parsePortChoice(ports[j]).path())
                return refuse(ports[i] == ports[j]
                                  ? QStringLiteral("--port %1 is given twice").arg(ports[i])
                                  : QStringLiteral("--port %1 and --port %2 are the same device")
                                        .arg(ports[j], ports[i]));
    if (verb == QLatin1String("scan"))
        return scan(*options, *command, makePort, makePause, out);
    if (ports.isEmpty())
        return refuse(QStringLiteral("--port is required"));
    const bool several = ports.size() > 1;
    if (several && !reads && !document)
        return refuse(QStringLiteral("only apply, verify and dump take more than one --port"));

    Options o = *options;
    std::mutex saying;
    if (errIsTerminal && reads)
        o.sayProgress = [&](const QString& line) {
            const std::lock_guard<std::mutex> lock(saying);
            err << line << '\n';
            err.flush();
        };
    const std::vector<LineResult> results = runLines(o, *command, makePort, makePause);

    // Each message names its port once. One line prints as it would alone;
    // several name their port on each line, key one dump by port, or list
    // their JSON objects.
    QJsonObject byPort;
    QJsonArray listed;
    int status = kDone;
    for (int i = 0; i < ports.size(); ++i) {
        const LineResult& r = results[static_cast<std::size_t>(i)];
        const QString named = ports[i] + QStringLiteral(": ");
        status = std::max(status, r.status);
        err << prefixed(kProgram + QStringLiteral(": ") + named, r.err);
        if (!several)
            out << r.out;
        else if (options->json)
            listed.append(QJsonDocument::fromJson(r.out.toUtf8()).object());
        else if (!document)
            out << prefixed(named, r.out);
        else if (r.status == kDone)
            byPort[ports[i]] = QJsonDocument::fromJson(r.out.toUtf8()).object();
        else
            byPort[ports[i]] = QJsonObject{{QStringLiteral("error"), r.error}};
    }
    if (several && options->json)
        out << QJsonDocument(listed).toJson(QJsonDocument::Compact) << '\n';
    else if (several && document)
        Printer(out, false).document(byPort);
    return status;
}

} // namespace

int run(const QStringList& arguments, const PortFactory& makePort, const PauseFactory& makePause,
        QTextStream& out, QTextStream& err, bool errIsTerminal, QTextStream* live) {
    // A monitor writes as it goes, where it is told to.
    if (const auto monitored =
            runMonitor(arguments, makePort, makePause, live ? *live : out, err))
        return *monitored;
    QString text;
    QTextStream into(&text);
    QString file;
    const int status = runCommand(arguments, makePort, makePause, into, err, errIsTerminal, &file);
    into.flush();
    if (file.isEmpty() || status != kDone) {
        out << text; // a dump that failed leaves no file: its error goes here
        return status;
    }
    QString why;
    if (saveWhole(file, text.toUtf8(), &why))
        return status;
    err << kProgram << ": " << why << '\n';
    if (arguments.contains(QStringLiteral("--json")))
        Printer(out, true, QJsonValue::Null)
            .finish({{QStringLiteral("status"), kOutputError},
                     {QStringLiteral("message"), why},
                     {QStringLiteral("phase"), QStringLiteral("output")},
                     {QStringLiteral("sent"), true}});
    return kOutputError;
}

} // namespace stepdrive::cli
