#include "cli/monitor.h"

#include "cli/exchange.h"
#include "cli/interrupt.h"
#include "cli/lines.h"
#include "cli/session.h"
#include "core/live_sample.h"
#include "link/adapter.h"
#include "link/comm_control.h"
#include "link/pause.h"
#include "link/port_names.h"

#include <QElapsedTimer>
#include <memory>
#include <mutex>

namespace stepdrive::cli {

namespace {

// A CSV field, quoted when it holds a comma, a quote or a line break.
QString csvField(QString text) {
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) &&
        !text.contains(QLatin1Char('\n')))
        return text;
    return QLatin1Char('"') + text.replace(QLatin1Char('"'), QStringLiteral("\"\"")) +
           QLatin1Char('"');
}

// The rows of every line watched, written as they come, from each line's
// thread; once the output can't be written, every watch ends.
class Rows {
public:
    explicit Rows(const Options& o) : o_(o) {}

    // False, with *why, once the output failed.
    bool put(const QString& port, const LiveSample& s, QString* why) {
        const std::lock_guard<std::mutex> lock(mutex_);
        const bool several = o_.ports.size() > 1;
        QString text;
        if (o_.csv && !headed_)
            text = (several ? QStringLiteral("port,") : QString()) +
                   QString::fromStdString(csvHeader());
        headed_ = true;
        if (o_.csv)
            text += (several ? csvField(port) + QLatin1Char(',') : QString()) +
                    QString::fromStdString(csvRow(s));
        else if (o_.json)
            text += jsonLine(fields(port, s).object());
        else
            text += (several ? port + QStringLiteral(": ") : QString()) +
                    QString(fields(port, s).text())
                        .replace(QLatin1Char('\n'), QLatin1Char(' '))
                        .trimmed() +
                    QLatin1Char('\n');
        if (failed_.isEmpty() && !o_.live(text.toUtf8(), &failed_) && failed_.isEmpty())
            failed_ = QStringLiteral("it is closed");
        *why = failed_;
        return failed_.isEmpty();
    }

private:
    // time_ms, position and speed as numbers, the flags as true or false.
    static Result fields(const QString& port, const LiveSample& s) {
        Values v{{QStringLiteral("time_ms"), qint64(s.ms)}};
        const std::vector<std::string> names = liveFieldNames();
        const std::vector<std::string> values = liveFieldValues(s);
        for (std::size_t i = 0; i < names.size(); ++i)
            v.emplace_back(QString::fromStdString(names[i]), i < 2
                                                                 ? QJsonValue(std::stoll(values[i]))
                                                                 : QJsonValue(values[i] == "1"));
        Result r(port);
        r.values(v);
        return r;
    }

    const Options o_;
    std::mutex mutex_;
    bool headed_ = false;
    QString failed_;
};

// The watch's time: the longer of the clock's and the pauses' sum, so that
// a pause that returns at once still moves it on.
class WatchClock {
public:
    explicit WatchClock(Pause& pause) : pause_(pause) { clock_.start(); }
    qint64 nowNs() const { return std::max(clock_.nsecsElapsed(), pausedMs_ * 1000000); }
    qint64 nowMs() const { return nowNs() / 1000000; }
    // Pauses until `ms` into the watch, in steps short enough for Ctrl-C.
    void sleepUntil(qint64 ms) {
        while (!interrupted() && nowMs() < ms) {
            const int step = static_cast<int>(std::min<qint64>(ms - nowMs(), Session::kPollMs));
            pause_.sleep(step);
            pausedMs_ += step;
        }
    }

private:
    Pause& pause_;
    QElapsedTimer clock_;
    qint64 pausedMs_ = 0;
};

// After the line on `port` was lost: waits for `adapter` to come back under
// any name and opens the line on it, sending nothing. False when the watch
// ended first (--duration, Ctrl-C).
bool awaitReplug(Session& s, const Options& o, const QString& port, const AdapterIdentity& adapter,
                 WatchClock& clock) {
    const auto say = [&](const QString& what) {
        if (o.sayNow)
            o.sayNow(port + QStringLiteral(": ") + what);
    };
    CommControl& line = s.exchange().port();
    line.setPortOpen(false);
    say(QStringLiteral("the line was lost; waiting for %1 to come back").arg(adapter.text()));
    AdapterWatch watch;
    QString device;
    QObject::connect(&watch, &AdapterWatch::back, [&device](const QString& d) { device = d; });
    watch.watch(adapter);
    QString refused; // said once until it changes
    while (!interrupted() && (!o.durationMs || clock.nowMs() < *o.durationMs)) {
        clock.sleepUntil(clock.nowMs() + Session::kPollMs);
        if (device.isEmpty())
            continue;
        QString why;
        if (openPort(line, {0, device}, o, &why)) {
            say(QStringLiteral("the line is back on ") + device);
            return true;
        }
        if (why != refused)
            say(QStringLiteral("%1: %2; still waiting").arg(device, why));
        refused = why;
        device.clear();
        watch.watch(adapter);
    }
    return false;
}

} // namespace

Command monitor(const Options& o) {
    const auto rows = std::make_shared<Rows>(o);
    return [o, rows](Session& s, Result& p, QTextStream&) {
        // The adapter behind the line, while it is there: a watch rides its
        // replug, whatever name it comes back under.
        const std::optional<AdapterIdentity> adapter = adapterOf(parsePortChoice(p.port()).path());
        LiveSampler sampler;
        WatchClock clock(s.pause());
        for (qint64 due = 0; !o.durationMs || due < *o.durationMs;
             due = LiveSampler::nextDue(due, clock.nowMs(), o.intervalMs)) {
            clock.sleepUntil(due);
            if (interrupted())
                break; // Ctrl-C ends a watch well
            try {
                const std::int32_t position = s.position();
                sampler.position(position, clock.nowNs()); // when its reply came
                QString why;
                if (!rows->put(p.port(), sampler.inputs(s.inputs()), &why)) {
                    s.reached().phase = QStringLiteral("output");
                    throw Failure{kOutputError,
                                  QStringLiteral("standard output could not be written: ") + why,
                                  true};
                }
            } catch (const Failure& f) {
                if (f.status == kPortError && adapter) {
                    if (awaitReplug(s, o, p.port(), *adapter, clock)) {
                        sampler.restart(); // no speed across the gap
                        continue;
                    }
                    if (interrupted())
                        break;
                    throw Failure{
                        kPortError,
                        f.message + QStringLiteral(" (%1 did not come back)").arg(adapter->text())};
                }
                if (f.status != kInterrupted)
                    throw;
                break;
            }
        }
        return static_cast<int>(kDone);
    };
}

} // namespace stepdrive::cli
