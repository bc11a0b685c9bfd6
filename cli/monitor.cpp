#include "cli/monitor.h"

#include "cli/exchange.h"
#include "cli/session.h"
#include "core/live_sample.h"
#include "link/comm_control.h"
#include "link/pause.h"
#include "link/port_names.h"

#include <QCommandLineParser>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QTextStream>
#include <QTimer>
#include <atomic>
#include <csignal>
#include <memory>
#include <vector>

namespace stepdrive::cli {

namespace {

const int kIntervalsMs[] = {50, 100, 200, 500};

// Set by Ctrl-C; the monitor ends after the update under way.
std::atomic<bool> interrupted{false};
extern "C" void onInterrupt(int) {
    interrupted = true;
}

struct Options {
    QStringList ports;
    int baud = 19200;
    int timeoutMs = 1000;
    int intervalMs = 100;
    std::optional<qint64> durationMs;
    bool csv = false;
    bool json = false;
    bool trace = false;
};

// One line watched: its port object, pause and session, and the position
// before with its time.
struct Watched {
    QString port;
    std::unique_ptr<CommControl> control;
    std::unique_ptr<Pause> pause;
    std::unique_ptr<Exchange> exchange;
    std::unique_ptr<Session> session;
    std::optional<std::pair<std::int32_t, qint64>> previous;
    bool failed = false;
};

std::optional<Options> parse(const QStringList& arguments, QString* error) {
    QCommandLineParser parser;
    const QCommandLineOption port(QStringLiteral("port"), {}, QStringLiteral("PORT"));
    const QCommandLineOption baud(QStringLiteral("baud"), {}, QStringLiteral("N"));
    const QCommandLineOption timeout(QStringLiteral("timeout"), {}, QStringLiteral("S"));
    const QCommandLineOption interval(QStringLiteral("interval"), {}, QStringLiteral("MS"));
    const QCommandLineOption duration(QStringLiteral("duration"), {}, QStringLiteral("S"));
    const QCommandLineOption csv(QStringLiteral("csv"), {});
    const QCommandLineOption json(QStringLiteral("json"), {});
    const QCommandLineOption trace(QStringLiteral("trace"), {});
    parser.addOptions({port, baud, timeout, interval, duration, csv, json, trace});
    parser.addPositionalArgument(QStringLiteral("monitor"), {});
    if (!parser.parse(QStringList{QStringLiteral("stepdrive-cli")} + arguments)) {
        *error = parser.errorText();
        return std::nullopt;
    }
    Options o;
    o.ports = parser.values(port);
    o.csv = parser.isSet(csv);
    o.json = parser.isSet(json);
    o.trace = parser.isSet(trace);
    if (parser.positionalArguments() != QStringList{QStringLiteral("monitor")}) {
        *error = QStringLiteral("monitor takes no arguments");
        return std::nullopt;
    }
    bool ok = true;
    if (parser.isSet(baud) && ((o.baud = parser.value(baud).toInt(&ok)), !ok || o.baud <= 0)) {
        *error = QStringLiteral("--baud takes a whole number above 0");
        return std::nullopt;
    }
    const auto seconds = [&](const QCommandLineOption& option, double* s) {
        *s = parser.value(option).toDouble(&ok);
        return ok && *s > 0 && *s <= 365 * 24 * 3600;
    };
    double s = 0;
    if (parser.isSet(timeout)) {
        if (!seconds(timeout, &s)) {
            *error = QStringLiteral("--timeout takes seconds above 0");
            return std::nullopt;
        }
        o.timeoutMs = static_cast<int>(s * 1000);
    }
    if (parser.isSet(duration)) {
        if (!seconds(duration, &s)) {
            *error = QStringLiteral("--duration takes seconds above 0");
            return std::nullopt;
        }
        o.durationMs = static_cast<qint64>(s * 1000);
    }
    if (parser.isSet(interval)) {
        o.intervalMs = parser.value(interval).toInt(&ok);
        if (!ok || std::find(std::begin(kIntervalsMs), std::end(kIntervalsMs), o.intervalMs) ==
                       std::end(kIntervalsMs)) {
            *error = QStringLiteral("--interval takes 50, 100, 200 or 500 (ms)");
            return std::nullopt;
        }
    }
    if (o.csv && o.json) {
        *error = QStringLiteral("--csv and --json don't go together");
        return std::nullopt;
    }
    if (o.ports.isEmpty()) {
        *error = QStringLiteral("--port is required");
        return std::nullopt;
    }
    for (const QString& p : o.ports)
        if (o.ports.count(p) > 1) {
            *error = QStringLiteral("--port %1 is given twice").arg(p);
            return std::nullopt;
        }
    return o;
}

bool open(Watched& w, int baud, QString* error) {
    const PortChoice choice = parsePortChoice(w.port);
    w.control->setCommPort(choice.com);
    w.control->setDevice(choice.device);
    w.control->setSettings(QStringLiteral("%1,N,8,1").arg(baud));
    const auto reported =
        QObject::connect(w.control.get(), &CommControl::failed,
                         [error](const PortFailure& f) { *error = portFailureText(f); });
    const bool opened = w.control->setPortOpen(true);
    QObject::disconnect(reported);
    return opened;
}

// One update of one line; nullopt once it failed (said on `err`).
std::optional<LiveSample> sample(Watched& w, qint64 ms, const QElapsedTimer& clock,
                                 QTextStream& err, int* status) {
    if (w.failed)
        return std::nullopt;
    try {
        LiveSample s;
        s.ms = ms;
        s.position = w.session->position();
        const qint64 at = clock.nsecsElapsed();
        const Inputs in = w.session->inputs();
        s.running = in.running;
        s.homeSensor = in.homeSensor;
        for (std::size_t i = 0; i < in.in.size(); ++i)
            s.inputs |= static_cast<std::uint8_t>(in.in[i] << i);
        if (w.previous)
            s.speed = speedBetween(w.previous->first, s.position, (at - w.previous->second) / 1e9);
        w.previous = {{s.position, at}};
        return s;
    } catch (const Failure& f) {
        err << "stepdrive-cli: " << w.port << ": " << f.message << '\n';
        err.flush();
        *status = std::max(*status, static_cast<int>(f.status));
        w.failed = true;
        return std::nullopt;
    }
}

QString jsonLine(const QString& port, const LiveSample& s) {
    QJsonObject o{
        {QStringLiteral("port"), port},           {QStringLiteral("time_ms"), qint64(s.ms)},
        {QStringLiteral("position"), s.position}, {QStringLiteral("speed"), qRound64(s.speed)},
        {QStringLiteral("running"), s.running},   {QStringLiteral("home_sensor"), s.homeSensor}};
    for (int n = 1; n <= 8; ++n)
        o[QStringLiteral("in%1").arg(n)] = s.input(n);
    return QString::fromUtf8(QJsonDocument(o).toJson(QJsonDocument::Compact));
}

// The fields of one line, named with its port when there are several.
QString fields(const QString& prefix, const std::vector<std::string>& values, bool csv) {
    const std::vector<std::string> names = liveFieldNames();
    QString text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (csv)
            text += QLatin1Char(',') + QString::fromStdString(values[i]);
        else
            text += QLatin1Char(' ') + prefix + QString::fromStdString(names[i]) +
                    QLatin1Char('=') + QString::fromStdString(values[i]);
    }
    return text;
}

void waitUntil(const QElapsedTimer& clock, qint64 ms) {
    while (!interrupted && clock.elapsed() < ms) {
        QEventLoop loop;
        QTimer::singleShot(static_cast<int>(std::min<qint64>(ms - clock.elapsed(), 50)),
                           Qt::PreciseTimer, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

} // namespace

std::optional<int> runMonitor(const QStringList& arguments, const PortFactory& makePort,
                              const PauseFactory& makePause, QTextStream& out, QTextStream& err) {
    if (!arguments.contains(QStringLiteral("monitor")))
        return std::nullopt;
    QString error;
    const auto o = parse(arguments, &error);
    if (!o) {
        err << "stepdrive-cli: " << error << "\nTry 'stepdrive-cli --help'.\n";
        return static_cast<int>(kUsageError);
    }
    if (o->trace)
        QLoggingCategory::setFilterRules(QStringLiteral("stepdrive.link.debug=true"));

    std::vector<Watched> lines(static_cast<std::size_t>(o->ports.size()));
    for (int i = 0; i < o->ports.size(); ++i) {
        Watched& w = lines[static_cast<std::size_t>(i)];
        w.port = o->ports[i];
        w.control = makePort(o->ports.size() > 1 ? w.port : QStringLiteral("cli"));
        w.pause = makePause();
        if (!open(w, o->baud, &error)) {
            err << "stepdrive-cli: the port can't be opened: " << error << '\n';
            return static_cast<int>(kPortError);
        }
        w.exchange = std::make_unique<Exchange>(*w.control, o->timeoutMs);
        w.session = std::make_unique<Session>(*w.exchange, *w.pause);
    }
    const bool several = lines.size() > 1;
    const auto prefix = [several](const Watched& w) {
        return several ? w.port + QLatin1Char('.') : QString();
    };
    if (o->csv) {
        QString header = QStringLiteral("time_ms");
        for (const Watched& w : lines)
            for (const std::string& name : liveFieldNames())
                header += QLatin1Char(',') + prefix(w) + QString::fromStdString(name);
        out << header << '\n';
    }

    interrupted = false;
    const auto previous = std::signal(SIGINT, onInterrupt);
    int status = kDone;
    QElapsedTimer clock;
    clock.start();
    for (qint64 due = 0; !interrupted && (!o->durationMs || due < *o->durationMs);
         due += o->intervalMs) {
        waitUntil(clock, due);
        if (interrupted)
            break;
        QString line = o->csv ? QString::number(due) : QStringLiteral("time_ms=%1").arg(due);
        bool any = false;
        for (Watched& w : lines) {
            const auto s = sample(w, due, clock, err, &status);
            if (!s) {
                if (o->csv)
                    line += QString(static_cast<int>(liveFieldNames().size()), QLatin1Char(','));
                continue;
            }
            any = true;
            if (o->json)
                out << jsonLine(w.port, *s) << '\n';
            else
                line += fields(prefix(w), liveFieldValues(*s), o->csv);
        }
        if (!any)
            break; // every line failed
        if (!o->json)
            out << line << '\n';
        out.flush();
    }
    std::signal(SIGINT, previous);
    for (Watched& w : lines)
        if (w.control->PortOpen())
            w.control->setPortOpen(false);
    return status;
}

} // namespace stepdrive::cli
