#include "cli/session.h"

#include "cli/exchange.h"
#include "cli/interrupt.h"
#include "core/commands.h"
#include "core/write_sequences.h"
#include "link/pause.h"

#include <QElapsedTimer>
#include <algorithm>
#include <utility>

namespace stepdrive::cli {

namespace {
// The 32-bit value of a whole 10-byte reply.
std::int32_t valueOf(const Bytes& reply) {
    return *parseReply(Format::Short, reply.data(), reply.size(), true).value();
}
} // namespace

Session::Session(Exchange& exchange, Pause& pause) : exchange_(exchange), pause_(pause) {}

Bytes Session::ask(Format format, const std::vector<std::uint8_t>& args, bool evenInterrupted) {
    if (interrupted() && !evenInterrupted)
        throw Failure{kInterrupted, QStringLiteral("interrupted")};
    const int before = exchange_.framesSent();
    try {
        const Bytes reply = exchange_.ask(format, args);
        reached_.sent = true;
        return reply;
    } catch (const Failure& f) {
        if (exchange_.framesSent() > before) {
            reached_.sent = true;
            // A reply that came faulty is no reply that did not come.
            (f.status == kBadReply ? reached_.answeredFaulty : reached_.unanswered) =
                keysOfFrame(format, args);
        }
        throw;
    }
}

Bytes Session::command(std::uint8_t cmd, std::uint8_t opt1,
                       const std::array<std::uint8_t, 4>& data) {
    return ask(Format::Short, {cmd, opt1, data[0], data[1], data[2], data[3]});
}

void Session::motion(Format format, const std::vector<std::uint8_t>& args) {
    begin("sending");
    motionMayRun(true);
    const int before = exchange_.framesSent();
    try {
        ask(format, args);
    } catch (const Failure&) {
        reached_.motion = exchange_.framesSent() > before;
        reached_.commanded = reached_.motion;
        throw;
    }
    reached_.motion = reached_.commanded = true;
}

Bytes Session::readStep(const ReadOrder& order, const ReadStep& step) {
    const Bytes reply = ask(order.format, {step.cmd, step.opt1});
    pause_.sleep(order.pauseAfterEachMs);
    return reply;
}

std::int32_t Session::readParameter(const ReadOrder& order, const ReadStep& step,
                                    const char* section, const ValueRule& rule) {
    const std::int32_t v = valueOf(readStep(order, step));
    reached_.read.push_back(
        {QLatin1String(section) + QLatin1Char('.') + QLatin1String(rule.key), v});
    return v;
}

TableEntry Session::readEntry(const ReadOrder& order, const ReadStep& step) {
    const Bytes reply = readStep(order, step);
    const TableEntry e = tableEntryOf(reply.data() + 4);
    const std::vector<Item> read = entryItems(static_cast<int>(step.index) + 1, e);
    reached_.read.insert(reached_.read.end(), read.begin(), read.end());
    return e;
}

void Session::write(const Profile& p) {
    begin("writing");
    reached_.read.clear(); // what was read before the write verifies nothing
    const std::pair<const char*, WriteSequence> sections[] = {
        {"motor", motorWrite(p.motor)},
        {"table", tableDownload(p.table)},
        {"belt", beltWrite(p.belt, p.in2Used)}};
    for (const auto& section : sections) {
        const WriteSequence& s = section.second;
        const int total = static_cast<int>(s.frames.size());
        walk(s, pause_, [&](std::size_t i, const std::vector<std::uint8_t>& args) {
            ask(s.format, args);
            reached_.written << keysOfFrame(s.format, args);
            reportProgress("writing", QLatin1String(section.first), static_cast<int>(i) + 1, total);
            return true;
        });
    }
}

void Session::reportProgress(const char* phase, const QString& section, int done, int total) {
    if (progress_ && !section.isEmpty())
        progress_(QLatin1String(phase), section, done, total);
}

Profile Session::read(const Profile& which) {
    begin("reading");
    Profile p;
    // Each section's values that `which` gives, asked for in the windows'
    // read order, one by one into `into`.
    const auto section = [this](const char* name, const ReadOrder& order, const auto& given,
                                auto& into, auto readOne) {
        const int count = givenCount(given);
        int done = 0;
        for (const ReadStep& step : order.steps)
            if (given[step.index]) {
                into[step.index] = readOne(order, step);
                reportProgress("reading", QLatin1String(name), ++done, count);
            }
    };
    section("motor", motorRead(), which.motor, p.motor,
            [this](const ReadOrder& order, const ReadStep& step) {
                return readParameter(order, step, "motor", kMotorParameters[step.index]);
            });
    section(
        "table", tableRead(), which.table, p.table,
        [this](const ReadOrder& order, const ReadStep& step) { return readEntry(order, step); });
    section("belt", beltRead(), which.belt, p.belt,
            [this](const ReadOrder& order, const ReadStep& step) {
                return readParameter(order, step, "belt", kBeltParameters[step.index]);
            });
    return p;
}

TableEntry Session::readTableEntry(int number) {
    begin("reading");
    const ReadOrder order = tableRead();
    return readEntry(order, order.steps.at(static_cast<std::size_t>(number - 1)));
}

// The row index, 0-6, goes out as the option, not the entry number.
void Session::moveToRow(int number, const TableEntry& entry) {
    const auto d = tableData(entry);
    motion(Format::Long, {tableCmd::MoveToRow, static_cast<std::uint8_t>(number - 1), d[0], d[1],
                          d[2], d[3], d[4], d[5], d[6]});
}

void Session::move(bool relative, std::int32_t pulses) {
    const auto d = bigEndian(pulses, 4);
    motion(Format::Short, {cmd::Move, relative ? opt::MoveIncremental : opt::MoveAbsolute, d[0],
                           d[1], d[2], d[3]});
}

void Session::jog(bool right, std::int32_t speed) {
    const auto d = bigEndian(speed, 4);
    motion(Format::Short, {right ? cmd::JogRight : cmd::JogLeft, 0, d[0], d[1], d[2], d[3]});
}

void Session::stop() {
    begin("sending");
    reached_.commanded = true;
    command(cmd::Stop, 0, {});
    reached_.motion = false;
    motionMayRun(false);
}

void Session::homeSearch() {
    motion(Format::Short, {cmd::HomeSearch, opt::HomeSearch, 0, 0, 0, 0});
}

std::int32_t Session::position() {
    begin("reading");
    return valueOf(command(cmd::ReadParameter, opt::Position, {}));
}

Inputs Session::inputs() {
    begin("reading");
    return askInputs();
}

Inputs Session::askInputs() {
    const Bytes bytes = command(cmd::ReadInputs, opt::Inputs, {});
    const Reply reply = parseReply(Format::Short, bytes.data(), bytes.size(), true);
    return inputsOf(reply.statusA, reply.statusB);
}

void Session::setOutputs(bool first, bool second) {
    begin("sending");
    reached_.commanded = true;
    command(cmd::SetOutputs, opt::Outputs,
            {static_cast<std::uint8_t>(first), static_cast<std::uint8_t>(second), 0, 0});
}

// The time waited is the longer of the clock's and the pauses' sum, so a
// pause that returns at once still ends the wait. A status reply lost or
// garbled is asked again, up to kTries in a row.
std::int32_t Session::waitUntilStopped(int limitMs) {
    begin("waiting");
    QElapsedTimer clock;
    clock.start();
    for (qint64 paused = 0;; paused += kPollMs) {
        pause_.sleep(kPollMs);
        if (interrupted())
            stopAndFail(kInterrupted, QStringLiteral("interrupted"));
        Inputs in;
        try {
            in = again([this] { return askInputs(); });
        } catch (const Failure& f) {
            if (f.status == kPortError)
                throw;
            stopAndFail(f.status,
                        f.status == kInterrupted
                            ? f.message
                            : QStringLiteral("%1 status requests in a row failed (the last: %2)")
                                  .arg(kTries)
                                  .arg(f.message));
        }
        if (!in.running) {
            reached_.motion = false;
            motionMayRun(false);
            return again([this] { return position(); });
        }
        if (std::max(clock.elapsed(), paused + kPollMs) >= limitMs)
            stopAndFail(
                kNoReply,
                QStringLiteral("the motor was still running after %1 s").arg(limitMs / 1000.0));
    }
}

template <typename Ask> auto Session::again(Ask ask) -> decltype(ask()) {
    for (int tries = 1;; ++tries) {
        try {
            return ask();
        } catch (const Failure& f) {
            if ((f.status != kNoReply && f.status != kBadReply) || tries == kTries)
                throw;
        }
        pause_.sleep(kPollMs);
    }
}

void Session::stopAndFail(int status, const QString& why) {
    try {
        ask(Format::Short, {cmd::Stop, 0, 0, 0, 0, 0}, true);
        reached_.motion = false;
        motionMayRun(false);
        reached_.note = QStringLiteral("the stop command went out and was answered");
    } catch (const Failure& f) {
        reached_.note = QStringLiteral("the stop command failed (%1)").arg(f.message);
    }
    throw Failure{static_cast<ExitStatus>(status), why};
}

} // namespace stepdrive::cli
