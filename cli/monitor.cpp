#include "cli/monitor.h"

#include "cli/exchange.h"
#include "cli/interrupt.h"
#include "cli/session.h"
#include "core/live_sample.h"
#include "link/pause.h"

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

} // namespace

Command monitor(const Options& o) {
    const auto rows = std::make_shared<Rows>(o);
    return [o, rows](Session& s, Result& p, QTextStream&) {
        LiveSampler sampler;
        QElapsedTimer clock;
        clock.start();
        // The time is the longer of the clock's and the pauses' sum, so that
        // a pause that returns at once still moves it on.
        qint64 pausedMs = 0;
        const auto nowNs = [&] { return std::max(clock.nsecsElapsed(), pausedMs * 1000000); };
        const auto nowMs = [&] { return nowNs() / 1000000; };
        for (qint64 due = 0; !o.durationMs || due < *o.durationMs;
             due = LiveSampler::nextDue(due, nowMs(), o.intervalMs)) {
            while (!interrupted() && nowMs() < due) {
                const int ms = static_cast<int>(std::min<qint64>(due - nowMs(), Session::kPollMs));
                s.pause().sleep(ms);
                pausedMs += ms;
            }
            if (interrupted())
                break; // Ctrl-C ends a watch well
            try {
                const std::int32_t position = s.position();
                sampler.position(position, nowNs()); // when its reply came
                QString why;
                if (!rows->put(p.port(), sampler.inputs(s.inputs()), &why)) {
                    s.reached().phase = QStringLiteral("output");
                    throw Failure{kOutputError,
                                  QStringLiteral("standard output could not be written: ") + why,
                                  true};
                }
            } catch (const Failure& f) {
                if (f.status != kInterrupted)
                    throw;
                break;
            }
        }
        return static_cast<int>(kDone);
    };
}

} // namespace stepdrive::cli
