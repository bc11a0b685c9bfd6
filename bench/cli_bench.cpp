// stepdrive-cli against stepdrive-sim, every run a process of its own timed
// from its start to its exit: the apply of a whole profile against the
// pauses it must make, four drives in one apply against one, and a position
// request against a bare Qt Core + SerialPort program making the same
// exchange; the apply and the position request again through ser2net on
// 127.0.0.1, raw and RFC 2217, the position against the same on the
// pseudo-terminal, and eight drives behind eight ser2net ports in one apply
// against one of them. Prints the stepdrive-cli rows of the scripts/bench
// table: medians of RUNS runs (the position request 10 x RUNS), after one run
// each that warms the caches and is not counted. RUNS 0 measures each figure
// once, without that run: whether every figure comes, not what it is.
//
//   stepdrive_cli_bench RUNS STEPDRIVE-CLI BARE-EXCHANGE

#include "bench/table.h"
#include "core/profile.h"
#include "core/write_sequences.h"
#include "link/pause.h"
#include "tests/support/profiles.h"
#include "tests/support/ser2net.h"
#include "tests/support/simulator.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryFile>
#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <vector>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

constexpr int kRunMs = 60000;

// Start to exit of one run, in ms; nullopt when it did not end with status 0.
std::optional<double> timed(const QString& program, const QStringList& arguments) {
    QProcess process;
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    const bool ended = process.waitForFinished(kRunMs);
    const double ms = clock.nsecsElapsed() / 1e6;
    if (!ended || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        std::fprintf(stderr, "cli bench: %s %s failed: %s\n", qPrintable(program),
                     qPrintable(arguments.join(' ')), process.readAllStandardError().constData());
        return std::nullopt;
    }
    return ms;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

// The pauses an apply of `p` must make: those of its write sequences and
// one after each reply of its read-back.
double pausesOf(const Profile& p) {
    std::vector<WriteSequence> sequences{motorWrite(p.motor), beltWrite(p.belt, p.in2Used)};
    if (givenCount(p.table) > 0)
        sequences.push_back(tableDownload(p.table));
    double ms = 0;
    for (const WriteSequence& s : sequences)
        for (const SequenceFrame& f : s.frames)
            ms += f.pauseBeforeMs + f.pauseAfterMs;
    const int reads = givenCount(p.motor) + givenCount(p.table) + givenCount(p.belt);
    return ms + reads * pacing::kAfterReadBackMs;
}

void row(const std::string& figure, std::optional<double> measured, double floor,
         const std::string& floorName, double target) {
    const std::string floorText = bench::fixed(floor, 1) + " ms: " + floorName;
    if (!measured) {
        bench::printRow({figure, "not measured", floorText, "", "", false});
        return;
    }
    const double ratio = *measured / floor;
    bench::printRow({figure, bench::fixed(*measured, 1) + " ms", floorText, bench::fixed(ratio, 3),
                     "≤ " + bench::fixed(target, 2), ratio <= target});
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s RUNS STEPDRIVE-CLI BARE-EXCHANGE\n", argv[0]);
        return 2;
    }
    const bool once = std::atoi(argv[1]) == 0;
    const int runs = std::max(1, std::atoi(argv[1]));
    const int requests = once ? 1 : 10; // position requests a run
    const QString cli = QString::fromLocal8Bit(argv[2]);
    const QString bare = QString::fromLocal8Bit(argv[3]);

    std::array<std::unique_ptr<Simulator>, 4> sims;
    QStringList oneDrive, fourDrives;
    for (auto& sim : sims) {
        sim = std::make_unique<Simulator>();
        if (sim->devicePath().isEmpty()) {
            std::fprintf(stderr, "cli bench: stepdrive-sim did not start\n");
            return 1;
        }
        fourDrives << QStringLiteral("--port") << sim->devicePath();
    }
    oneDrive = fourDrives.mid(0, 2);
    // A drive of its own behind each device server, so that neither holds a
    // line the others use.
    struct Served {
        const char* mode;
        std::unique_ptr<Simulator> sim;
        std::unique_ptr<Ser2net> server;
        QStringList port;
        std::vector<double> apply, position;
    };
    std::array<Served, 2> served{Served{"raw", {}, {}, {}, {}, {}},
                                 Served{"RFC 2217", {}, {}, {}, {}, {}}};
    for (Served& s : served) {
        s.sim = std::make_unique<Simulator>();
        s.server = std::make_unique<Ser2net>(
            &s == &served[0] ? Ser2net::Mode::Raw : Ser2net::Mode::Rfc2217, s.sim->devicePath());
        if (!s.server->listening()) {
            std::fprintf(stderr, "cli bench: ser2net did not start\n");
            return 1;
        }
        s.port = QStringList{QStringLiteral("--port"), s.server->address()};
    }
    // Eight drives behind eight raw device servers, the first of them the
    // raw one above.
    std::vector<std::unique_ptr<Simulator>> lineSims;
    std::vector<std::unique_ptr<Ser2net>> lineServers;
    QStringList eightServed = served[0].port;
    while (eightServed.size() < 2 * 8) {
        lineSims.push_back(std::make_unique<Simulator>());
        lineServers.push_back(
            std::make_unique<Ser2net>(Ser2net::Mode::Raw, lineSims.back()->devicePath()));
        if (!lineServers.back()->listening()) {
            std::fprintf(stderr, "cli bench: ser2net did not start\n");
            return 1;
        }
        eightServed << QStringLiteral("--port") << lineServers.back()->address();
    }
    QTemporaryFile file;
    if (!file.open() || file.write(kNonDefaultProfile) < 0 || !file.flush())
        return 1;
    QString why;
    const auto profile = parseProfile(kNonDefaultProfile, &why);
    if (!profile)
        return 1;
    const QStringList apply{QStringLiteral("apply"), file.fileName()};

    // Each figure's runs, one round after another, so that a load that
    // comes and goes falls on all of them alike.
    std::vector<double> one, four, eight, position, floor;
    bool failed = false;
    const auto note = [&failed](std::vector<double>& into, std::optional<double> ms, bool counted) {
        failed = failed || !ms;
        if (ms && counted)
            into.push_back(*ms);
    };
    for (int i = once ? 1 : 0; i <= runs; ++i) {
        note(one, timed(cli, oneDrive + apply), i > 0);
        note(four, timed(cli, fourDrives + apply), i > 0);
        for (Served& s : served)
            note(s.apply, timed(cli, s.port + apply), i > 0);
        note(eight, timed(cli, eightServed + apply), i > 0);
        for (int k = 0; k < requests; ++k) {
            note(position, timed(cli, oneDrive + QStringList{QStringLiteral("position")}), i > 0);
            note(floor, timed(bare, {sims[0]->devicePath()}), i > 0);
            for (Served& s : served)
                note(s.position, timed(cli, s.port + QStringList{QStringLiteral("position")}),
                     i > 0);
        }
    }
    const auto of = [failed](const std::vector<double>& v) {
        return failed || v.empty() ? std::nullopt : std::optional<double>(median(v));
    };
    const std::string medians = ", median of " + std::to_string(runs);
    row("cli: apply of a whole profile, start to exit" + medians, of(one), pausesOf(*profile),
        "the pauses it must make", 1.03);
    row("cli: apply to four drives at once, start to exit" + medians, of(four), of(one).value_or(0),
        "apply to one drive", 1.15);
    row("cli: position, start to exit, median of " + std::to_string(requests * runs), of(position),
        of(floor).value_or(0), "a bare Qt Core + SerialPort program", 1.1);
    for (const Served& s : served) {
        row(std::string("cli: apply of a whole profile through ser2net, ") + s.mode + medians,
            of(s.apply), pausesOf(*profile), "the pauses it must make", 1.03);
        row(std::string("cli: position through ser2net, ") + s.mode + ", median of " +
                std::to_string(requests * runs),
            of(s.position), of(position).value_or(0), "the same on the pseudo-terminal", 1.2);
    }
    row("cli: apply to eight drives behind eight ser2net ports, raw" + medians, of(eight),
        of(served[0].apply).value_or(0), "apply to one of them", 1.15);
    return failed ? 1 : 0;
}
