// The link's hot paths: building and echoing a command, and the receive
// procedure on a reply (echo, checks, data from the echo text).

#include "link/panel_link.h"
#include "tests/support/fakes.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

void sendShortFrame(benchmark::State& state) {
    FakeCommControl port;
    RecordingMessenger messages;
    PanelLink link(Format::Short, port, messages);
    port.setPortOpen(true);
    for (auto _ : state) {
        link.send({6, 1, 0, 0, 0, 0});
        port.sent.clear();
    }
}
BENCHMARK(sendShortFrame);

// One receive event with `range(0)` bytes waiting (10: one reply; 50: the
// five replies to a write sequence read together).
void receiveReply(benchmark::State& state) {
    FakeCommControl port;
    RecordingMessenger messages;
    PanelLink link(Format::Short, port, messages);
    port.setInputLen(1);
    port.setPortOpen(true);
    QByteArray replies;
    while (replies.size() < state.range(0))
        replies += fromHex("BB 00 06 64 00 00 03 20 EE 8D");
    std::int64_t sum = 0;
    QObject::connect(&port, &CommControl::OnComm,
                     [&] { link.receive([&](const Reply& r) { sum += r.value().value_or(0); }); });
    for (auto _ : state) {
        link.clearRx();
        port.setRThreshold(10);
        port.push(replies);
        QCoreApplication::processEvents();
    }
    benchmark::DoNotOptimize(sum);
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(receiveReply)->Arg(10)->Arg(50);

void hexEchoOfAFrame(benchmark::State& state) {
    const Bytes block = commandBlock(Format::Long, {14, 1, 3, 0x20, 0, 10, 0, 0, 0});
    for (auto _ : state)
        benchmark::DoNotOptimize(hexEcho(block));
}
BENCHMARK(hexEchoOfAFrame);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
