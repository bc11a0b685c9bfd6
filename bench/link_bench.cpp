// The link's hot paths: building and echoing a command, and the receive
// procedure on a reply (echo, checks, data from the echo text) and on a long
// burst of bytes through the serial port control.
//
// With --table, prints the codec rows of the scripts/bench table on standard
// output (Google Benchmark's own report then goes to standard error).

#include "bench/table.h"
#include "link/frame_link.h"
#include "link/serial_line.h"
#include "tests/support/fakes.h"
#include "tests/support/link_harness.h"
#include "tests/support/pty.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>
#include <cstring>
#include <iostream>
#include <map>
#include <optional>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

const std::vector<std::uint8_t> kShortArgs{6, 1, 0, 0, 0, 0};
const std::vector<std::uint8_t> kLongArgs{14, 1, 3, 0x20, 0, 10, 0, 0x12, 0x34};

// Builds, echoes and writes one frame per iteration.
void sendFrame(benchmark::State& state, Format format) {
    FakeCommControl port;
    FrameLink link(format, port);
    port.setPortOpen(true);
    const auto& a = format == Format::Short ? kShortArgs : kLongArgs;
    for (auto _ : state) {
        if (format == Format::Short)
            link.send({a[0], a[1], a[2], a[3], a[4], a[5]});
        else
            link.send({a[0], a[1], a[2], a[3], a[4], a[5], a[6], a[7], a[8]});
        port.sent.clear();
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK_CAPTURE(sendFrame, short, Format::Short);
BENCHMARK_CAPTURE(sendFrame, long, Format::Long);

// One receive event with `range(0)` replies waiting (one reply, or the five
// replies to a write sequence read together), each awaited: the codes are
// put in the link's queue by sending the requests, which costs what
// sendFrame measures and is counted here too.
void receiveReply(benchmark::State& state, Format format) {
    LinkHarness h(format);
    FrameLink& link = h.link;
    const std::uint8_t code = format == Format::Short ? 6 : 15;
    const Bytes reply = format == Format::Short
                            ? replyFrame(format, code, {0x00, 0x00, 0x03, 0x20})
                            : replyFrame(format, code, {0x00, 0x0A, 0x00, 0x14, 0x01, 0x02, 0x03});
    QByteArray replies;
    for (int i = 0; i < state.range(0); ++i)
        replies.append(reinterpret_cast<const char*>(reply.data()), int(reply.size()));
    std::int64_t sum = 0;
    h.onReply = [&](const Reply& r) { sum += r.value().value_or(0); };
    for (auto _ : state) {
        for (int i = 0; i < state.range(0); ++i)
            link.send({code, 1});
        h.port.sent.clear();
        link.clearRx();
        h.port.setRThreshold(link.threshold());
        h.port.push(replies);
        QCoreApplication::processEvents();
    }
    benchmark::DoNotOptimize(sum);
    state.SetBytesProcessed(state.iterations() * replies.size());
}
BENCHMARK_CAPTURE(receiveReply, short, Format::Short)->Arg(1)->Arg(5);
BENCHMARK_CAPTURE(receiveReply, long, Format::Long)->Arg(1);

// The shipped serial line, counting the bytes the receive procedure takes.
class CountingSerialLine : public SerialLine {
public:
    CountingSerialLine(LineEvents events, qint64& taken)
        : SerialLine(std::move(events)), taken_(taken) {}

    QByteArray read(int max) override {
        QByteArray bytes = SerialLine::read(max);
        taken_ += bytes.size();
        return bytes;
    }

private:
    qint64& taken_;
};

constexpr int kChunk = 4096;

// `range(0)` KiB of replies arrive on the line in 4 KiB chunks, each one
// handled before the next is written, with no send in between: the RX echo
// is never cleared by a send during the burst.
void receiveBurst(benchmark::State& state) {
    Pty pty;
    ComMapping com(9, pty.slavePath());
    qint64 taken = 0;
    CommControl port(QStringLiteral("MSC"), nullptr, [&](const QString&, LineEvents events, int) {
        return std::make_unique<CountingSerialLine>(std::move(events), taken);
    });
    FrameLink link(Format::Short, port);
    long wrong = 0; // bytes a panel would say are wrong: a burst has many
    port.setCommPort(9);
    port.setSettings(QStringLiteral("19200,N,8,1"));
    port.setInputLen(1);
    if (!pty.ok() || !port.setPortOpen(true)) {
        state.SkipWithError("no pseudo-terminal");
        return;
    }
    port.setRThreshold(link.threshold());
    std::int64_t sum = 0;
    QObject::connect(&port, &CommControl::OnComm, [&] {
        link.receive([&](const Reply& r) {
            sum += r.value().value_or(0);
            wrong += r.wrongBytes();
        });
    });

    const Bytes reply = replyFrame(Format::Short, 6, {0x00, 0x00, 0x03, 0x20});
    QByteArray chunk;
    while (chunk.size() < kChunk)
        chunk.append(reinterpret_cast<const char*>(reply.data()), int(reply.size()));
    chunk.truncate(kChunk);
    const qint64 total = state.range(0) * 1024;

    for (auto _ : state) {
        state.PauseTiming();
        port.setInBufferCount(0);
        link.clearRx();
        const qint64 start = taken;
        state.ResumeTiming();
        for (qint64 written = 0; written < total;) {
            pty.write(chunk);
            written += kChunk;
            // Until every byte reached the port control and it has raised
            // every receive event it owes (fewer than a reply may wait).
            while (taken - start + port.InBufferCount() < written ||
                   port.InBufferCount() >= link.threshold())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
    }
    benchmark::DoNotOptimize(sum);
    state.SetBytesProcessed(state.iterations() * total);
    state.counters["messages"] = double(wrong);
}
BENCHMARK(receiveBurst)->Arg(64)->Arg(1024)->Unit(benchmark::kMillisecond);

// Keeps every run's CPU time per iteration (in ms) by name, and hands the
// report on to the console reporter.
class CollectingReporter : public benchmark::ConsoleReporter {
public:
    CollectingReporter() : ConsoleReporter(OO_Tabular) {}
    std::map<std::string, double> cpuMs;
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (!run.error_occurred)
                cpuMs[run.benchmark_name()] = run.GetAdjustedCPUTime() * 1000.0 /
                                              benchmark::GetTimeUnitMultiplier(run.time_unit);
        ConsoleReporter::ReportRuns(runs);
    }
};

std::string micros(double ms) {
    return bench::fixed(ms * 1000.0, ms < 0.01 ? 2 : 1) + " µs";
}

// A codec figure against the time its bytes take on the fastest line.
void lineRow(const std::string& figure, std::optional<double> ms, double bytes,
             const std::string& extra = {}) {
    const double floor = bench::lineMs(bytes);
    const std::string floorText = bench::fixed(floor, 2) + " ms: " + bench::fixed(bytes, 0) +
                                  " bytes at " + std::to_string(bench::kFastestBaud) + " baud";
    if (!ms) {
        bench::printRow({figure, "not run", floorText, "", "≤ 0.01", false});
        return;
    }
    const double ratio = *ms / floor;
    bench::printRow(
        {figure, micros(*ms) + extra, floorText, bench::fixed(ratio, 5), "≤ 0.01", ratio <= 0.01});
}

void printTable(const std::map<std::string, double>& ms) {
    const auto at = [&](const char* name, double divisor = 1.0) -> std::optional<double> {
        const auto it = ms.find(name);
        return it == ms.end() ? std::nullopt : std::optional<double>(it->second / divisor);
    };
    const auto perSecond = [](std::optional<double> ms) {
        return ms ? " (" + bench::fixed(1.0 / *ms / 1000.0, 2) + " M frames/s)" : std::string();
    };
    const auto shortFrame = at("sendFrame/short");
    const auto longFrame = at("sendFrame/long");
    lineRow("codec: 10-byte frame built, echoed and written", shortFrame, 12,
            perSecond(shortFrame));
    lineRow("codec: 13-byte frame built, echoed and written", longFrame, 15, perSecond(longFrame));
    lineRow("codec: receive procedure, one 10-byte reply", at("receiveReply/short/1"), 10);
    lineRow("codec: receive procedure, one 13-byte reply", at("receiveReply/long/1"), 13);
    const auto small = at("receiveBurst/64", 64.0);
    const auto large = at("receiveBurst/1024", 1024.0);
    lineRow("codec: burst in 4 KiB chunks, per KiB over 64 KiB", small, 1024);
    lineRow("codec: burst in 4 KiB chunks, per KiB over 1 MiB", large, 1024);
    const std::string growthFigure = "codec: burst growth, per KiB over 1 MiB / over 64 KiB";
    if (!small || !large) {
        bench::printRow({growthFigure, "not run", "1: linear", "", "0.80-1.20", false});
        return;
    }
    const double growth = *large / *small;
    bench::printRow({growthFigure, bench::fixed(growth, 2), "1: linear", bench::fixed(growth, 2),
                     "0.80-1.20", growth >= 0.8 && growth <= 1.2});
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    bool table = false;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--table") == 0)
            table = true;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    CollectingReporter reporter;
    if (table)
        reporter.SetOutputStream(&std::cerr);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    if (table)
        printTable(reporter.cpuMs);
    return 0;
}
