#include "cli/commands.h"

#include "cli/arguments.h"
#include "cli/compare.h"
#include "cli/exchange.h"
#include "cli/interrupt.h"
#include "cli/monitor.h"
#include "cli/scan.h"
#include "cli/session.h"
#include "core/version.h"
#include "link/port_names.h"

#include <QDateTime>
#include <limits>

namespace stepdrive::cli {

namespace {

// The jog speed's range, as the main panel labels it.
constexpr Range kJogSpeed{0, 2047};

std::optional<Command> paramsWrite(const QStringList& settings, const Options&, QString* error) {
    const auto values =
        keyValues(settings, fieldsOf(kMotorParameters), QStringLiteral("params write"), error);
    if (!values)
        return std::nullopt;
    Profile wanted;
    wanted.motor = asValues<MotorValues>(*values);
    return [wanted](Session& s, Result& p, QTextStream& err) {
        return writeAndVerify(s, p, err, wanted);
    };
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
    return Command([n = *row, v = *v](Session& s, Result& p, QTextStream& err) {
        TableEntry e;
        if (!v[0] || !v[1] || !v[2])
            e = s.readTableEntry(n);
        Profile wanted;
        wanted.table[static_cast<std::size_t>(n - 1)] = {
            v[0].value_or(e.position), v[1].value_or(e.velocity), v[2].value_or(e.acceleration)};
        return writeAndVerify(s, p, err, wanted);
    });
}

std::optional<Command> beltWrite(const QStringList& settings, const Options&, QString* error) {
    Profile wanted;
    const auto values = keyValues(settings, fieldsOf(kBeltParameters), QStringLiteral("belt write"),
                                  error, &wanted.in2Used);
    if (!values)
        return std::nullopt;
    wanted.belt = asValues<BeltValues>(*values);
    return Command([wanted](Session& s, Result& p, QTextStream& err) {
        return writeAndVerify(s, p, err, wanted);
    });
}

std::optional<Command> apply(const QStringList& arguments, const Options&, QString* error) {
    const auto profile = readProfile(arguments[0], error);
    if (!profile)
        return std::nullopt;
    return [wanted = *profile](Session& s, Result& p, QTextStream& err) {
        return writeAndVerify(s, p, err, wanted);
    };
}

// What apply would write of a file, with no port.
std::optional<Command> check(const QStringList& arguments, const Options&, QString* error) {
    auto profile = readProfile(arguments[0], error);
    if (!profile)
        return std::nullopt;
    profile->about = {};
    return [wanted = *profile](Session&, Result& p, QTextStream&) {
        p.profile(wanted);
        if (wanted.in2Used)
            p.lines({{QStringLiteral("belt.in2_used"), *wanted.in2Used}});
        return static_cast<int>(kDone);
    };
}

// Reads back what the file holds and compares, writing nothing.
std::optional<Command> verify(const QStringList& arguments, const Options&, QString* error) {
    const QString& path = arguments[0];
    const auto profile = readProfile(path, error);
    if (!profile)
        return std::nullopt;
    return [wanted = *profile, path](Session& s, Result& p, QTextStream& err) {
        expect(s, items(wanted), false);
        return compare(p, err, items(wanted), items(s.read(wanted)), wanted.in2Used,
                       path == QLatin1String("-") ? QStringLiteral("standard input") : path);
    };
}

// Reads one section of everything readable.
template <typename Section> Command reading(Section Profile::*section) {
    Profile which;
    which.*section = everythingReadable().*section;
    return [which](Session& s, Result& p, QTextStream&) {
        p.profile(s.read(which));
        return static_cast<int>(kDone);
    };
}

// A command that only acts: its reply is checked, and nothing is printed.
Command acting(std::function<void(Session&)> act) {
    return [act = std::move(act)](Session& s, Result&, QTextStream&) {
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
    return [act = std::move(act), waitMs](Session& s, Result& p, QTextStream&) {
        const std::optional<StopOwed> owed = waitMs ? std::make_optional<StopOwed>() : std::nullopt;
        Motion m = act(s, waitMs.has_value());
        if (waitMs) {
            const std::int32_t at = s.waitUntilStopped(*waitMs);
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
            return Motion{valuesOf(entryItems(n, e)), e.position};
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
    return [](Session& s, Result& p, QTextStream&) {
        p.values({{QStringLiteral("position"), s.position()}});
        return static_cast<int>(kDone);
    };
}

// scan's question to each port: its position; a failure is said as it
// stands, since a read changes nothing.
Command probe() {
    return [](Session& s, Result& p, QTextStream& err) {
        try {
            return position()(s, p, err);
        } catch (Failure f) {
            f.whole = true;
            throw f;
        }
    };
}

Command dump() {
    return [](Session& s, Result& p, QTextStream&) {
        Profile held = s.read(everythingReadable());
        // Where and when it was dumped, by what; apply and verify pass it by.
        const std::string program = versionText("stepdrive-cli");
        // The device's identity, where the system knows it.
        held.about = identity(systemPortOf(parsePortChoice(p.port()).path()));
        for (const QString& key : held.about.keys())
            if (held.about[key].toString().isEmpty())
                held.about.remove(key);
        held.about[QStringLiteral("port")] = p.port();
        held.about[QStringLiteral("date")] = QDateTime::currentDateTimeUtc().toString(Qt::ISODate);
        held.about[QStringLiteral("program")] =
            QString::fromStdString(program.substr(0, program.find('\n')));
        p.document(toJson(held));
        return static_cast<int>(kDone);
    };
}

Command inputs() {
    return [](Session& s, Result& p, QTextStream&) {
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

// The exit statuses of a command that reads, of one that writes or moves to
// a target (read back or waited for), of check and of scan.
const std::vector<ExitStatus> kReads{kDone,     kUsageError,  kPortError,  kNoReply,
                                     kBadReply, kOutputError, kInterrupted};
const std::vector<ExitStatus> kWrites{kDone,    kUsageError, kPortError,   kReadBackDiffers,
                                      kNoReply, kBadReply,   kOutputError, kInterrupted};
const std::vector<ExitStatus> kChecks{kDone, kUsageError, kOutputError};
const std::vector<ExitStatus> kScans{kDone,    kUsageError,  kPortError,
                                     kNoReply, kOutputError, kInterrupted};

std::optional<Command> watching(const QStringList&, const Options& o, QString*) {
    return monitor(o);
}

} // namespace

const std::vector<Syntax>& syntaxes() {
    // A command a row.
    // clang-format off
    static const std::vector<Syntax> all{
        {{"params", "read"}, {}, always(reading(&Profile::motor)), 0, false, kReads,
         "stepdrive-cli --port COM4 params read"},
        {{"params", "write"}, {"KEY=VALUE"}, paramsWrite, 0, true, kWrites,
         "stepdrive-cli --port COM4 params write run_current=20 run_speed=800"},
        {{"move", "abs"}, {"PULSES"}, motion(false), kWait, false, kWrites,
         "stepdrive-cli --port COM4 --wait move abs 12800"},
        {{"move", "rel"}, {"PULSES"}, motion(true), kWait, false, kWrites,
         "stepdrive-cli --port COM4 move rel -1000"},
        {{"jog", "left"}, {"SPEED"}, jogging(false), 0, false, kReads,
         "stepdrive-cli --port COM4 jog left 500"},
        {{"jog", "right"}, {"SPEED"}, jogging(true), 0, false, kReads,
         "stepdrive-cli --port COM4 jog right 500"},
        {{"stop"}, {}, always(acting([](Session& s) { s.stop(); })), 0, false, kReads,
         "stepdrive-cli --port COM4 stop"},
        {{"home"}, {}, home, kWait, false, kWrites,
         "stepdrive-cli --port COM4 --wait home"},
        {{"position"}, {}, always(position()), 0, false, kReads,
         "stepdrive-cli --port COM4 --json position"},
        {{"inputs"}, {}, always(inputs()), 0, false, kReads,
         "stepdrive-cli --port /dev/ttyUSB0 inputs"},
        {{"outputs"}, {"S1", "S2"}, outputs, 0, false, kReads,
         "stepdrive-cli --port COM4 outputs 1 0"},
        {{"table", "read"}, {}, always(reading(&Profile::table)), 0, false, kReads,
         "stepdrive-cli --port COM4 table read"},
        {{"table", "run"}, {"ROW"}, tableRun, kWait, false, kWrites,
         "stepdrive-cli --port COM4 --wait table run 2"},
        {{"table", "write"}, {"ROW", "KEY=VALUE"}, tableWrite, 0, true, kWrites,
         "stepdrive-cli --port COM4 table write 2 position=5000 velocity=1200"},
        {{"belt", "read"}, {}, always(reading(&Profile::belt)), 0, false, kReads,
         "stepdrive-cli --port COM4 belt read"},
        {{"belt", "write"}, {"KEY=VALUE"}, beltWrite, 0, true, kWrites,
         "stepdrive-cli --port COM4 belt write speed=800 in2_used=false"},
        {{"dump"}, {}, always(dump()), kSeveralPorts | kOutput, false, kReads,
         "stepdrive-cli --port COM4 dump -o line1.json"},
        {{"apply"}, {"FILE"}, apply, kSeveralPorts, false, kWrites,
         "stepdrive-cli --port COM4 --port COM5 apply line1.json"},
        {{"verify"}, {"FILE"}, verify, kSeveralPorts, false, kWrites,
         "stepdrive-cli --port COM4 verify line1.json"},
        {{"check"}, {"FILE"}, check, kNoPort, false, kChecks,
         "stepdrive-cli check line1.json"},
        // each port asked for its position
        {{"scan"}, {}, always(probe()), kSeveralPorts | kAnyPort, false, kScans,
         "stepdrive-cli --json scan"},
        {{"monitor"}, {}, watching, kSeveralPorts | kWatch, false, kReads,
         "stepdrive-cli --port COM4 monitor --interval 200 --duration 60 --csv"},
    };
    // clang-format on
    return all;
}

const Syntax* syntaxOf(const QStringList& words, QString* error) {
    if (words.isEmpty()) {
        *error = QStringLiteral("no command given");
        return nullptr;
    }
    QStringList next; // the words that may follow words[0]
    for (const Syntax& s : syntaxes()) {
        if (s.words[0] == words[0] && s.words.size() > 1)
            next << s.words[1];
        if (words.mid(0, s.words.size()) == s.words)
            return &s;
    }
    if (words.size() == 1 && !next.isEmpty())
        *error = QStringLiteral("%1 needs %2").arg(words[0], next.join(QStringLiteral(" or ")));
    else if (!next.isEmpty())
        *error = QStringLiteral("%1 takes %2, not \"%3\"")
                     .arg(words[0], next.join(QStringLiteral(" or ")), cut(words[1]));
    else
        *error = QStringLiteral("unknown command \"%1\"").arg(cut(words.join(' ')));
    return nullptr;
}

std::optional<Command> prepare(const QStringList& words, const Options& o, QString* error,
                               int* takes) {
    const Syntax* s = syntaxOf(words, error);
    if (!s)
        return std::nullopt;
    const QString name = s->words.join(QLatin1Char(' '));
    const auto given = words.size() - s->words.size();
    if (given < s->arguments.size()) {
        *error = QStringLiteral("%1 needs %2")
                     .arg(name, s->arguments.mid(given).join(QStringLiteral(" and ")));
        return std::nullopt;
    }
    if (given > s->arguments.size() && !s->more) {
        *error = QStringLiteral("%1 takes %2; \"%3\" is too much")
                     .arg(name,
                          s->arguments.isEmpty() ? QStringLiteral("no argument")
                                                 : s->arguments.join(QLatin1Char(' ')),
                          words.mid(s->words.size() + s->arguments.size()).join(' '));
        return std::nullopt;
    }
    *takes = s->takes;
    return s->build(words.mid(s->words.size()), o, error);
}

} // namespace stepdrive::cli
