#include "cli/lines.h"

#include "cli/exchange.h"
#include "cli/interrupt.h"
#include "cli/reached.h"
#include "cli/session.h"
#include "link/comm_control.h"
#include "link/pause.h"
#include "link/port_failure_text.h"
#include "link/port_names.h"
#include "sys/devices.h"

#include <QTextStream>
#include <QThread>
#include <memory>

namespace stepdrive::cli {

namespace {
// A device server may take a few seconds to connect, more with --timeout.
constexpr int kConnectFloorMs = 3000;
} // namespace

bool openPort(CommControl& port, const PortChoice& choice, const Options& o, QString* error) {
    port.setCommPort(choice.com);
    port.setDevice(choice.device);
    port.setSettings(QStringLiteral("%1,N,8,1").arg(o.baud));
    port.setConnectTimeout(std::max(kConnectFloorMs, o.timeoutMs));
    PortFailure failure;
    const auto reported = QObject::connect(&port, &CommControl::failed,
                                           [&failure](const PortFailure& f) { failure = f; });
    const bool opened = port.setPortOpen(true);
    QObject::disconnect(reported);
    if (opened)
        return true;
    const QString device = choice.path();
    *error = QStringLiteral("the port can't be opened: ") +
             (sys::notSerial(device, failure.systemText) ? QStringLiteral("not a serial device")
                                                         : englishText(failure));
    return false;
}

namespace {

// Runs the command on the line `choice` names, on the calling thread, with a
// port object and a pause of its own.
LineResult runLine(const QString& given, const QString& portObjectName, const Options& o,
                   const Command& command, const PortFactory& makePort,
                   const PauseFactory& makePause) {
    LineResult r{kDone, Result(given), {}, {}};
    QTextStream err(&r.err);
    Result& print = r.result;
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
    if (!openPort(*port, parsePortChoice(given), o, &error)) {
        err << error << '\n';
        failed(kPortError, error, reachedJson({}));
    } else {
        Exchange exchange(*port, o.timeoutMs);
        Session session(exchange, *pause);
        // "COM5 writing motor 7/7, table 7/7": the sections of a phase done.
        if (o.sayProgress)
            session.onProgress([&o, given, phase = QString(),
                                done = QStringList()](const QString& now, const QString& section,
                                                      int frames, int total) mutable {
                if (frames < total)
                    return;
                if (now != phase)
                    done.clear();
                phase = now;
                done << QStringLiteral("%1 %2/%2").arg(section).arg(total);
                o.sayProgress(QStringLiteral("%1 %2 %3").arg(given, phase, done.join(", ")));
            });
        try {
            const int status = command(session, print, err);
            err.flush();
            const QStringList lines = r.err.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
            if (status != kDone) // the command said why, on its last line
                failed(status, lines.value(lines.size() - 1), reachedJson(session.reached()));
        } catch (const Failure& f) {
            const Reached& reached = session.reached();
            const QString message =
                f.whole ? f.message
                        : f.message + QStringLiteral(", ") + whatReached(reached, given);
            err << message << '\n';
            // What a read-back found before it failed stays in the result.
            const QJsonValue found = readBackJson(reached.wanted, reached.read, {}, reached.writes)
                                         .value(QStringLiteral("differences"));
            if (!found.isUndefined())
                print.add({{QStringLiteral("differences"), found}});
            failed(f.status, message, reachedJson(reached));
        }
        port->setPortOpen(false);
    }
    err.flush();
    return r;
}

} // namespace

std::vector<LineResult> runLines(const Options& o, const Command& command,
                                 const PortFactory& makePort, const PauseFactory& makePause) {
    std::vector<LineResult> results(static_cast<std::size_t>(o.ports.size()));
    if (o.ports.size() == 1) {
        nameLine(o.ports[0]);
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

} // namespace stepdrive::cli
