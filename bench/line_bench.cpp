// The program's windows, serial port controls and pause against stepdrive-sim
// on a pseudo-terminal: how long the read-back chains take against the
// pauses they must make, and the gaps between the frames of the write
// sequences as the driver sees them. Prints the line rows of the scripts/bench
// table.

#include "app/first_shown.h"
#include "app/program_names.h"
#include "app/shell.h"
#include "bench/table.h"
#include "link/comm_control.h"
#include "link/pause.h"
#include "link/serial_line.h"
#include "tests/support/fakes.h"
#include "tests/support/simulator.h"
#include "ui/form_look.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEventLoop>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <optional>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

// The shipped pause, noting when each one ends.
class TimedPause : public BlockingPause {
public:
    std::vector<double> ends;
    std::function<void()> ended;
    void sleep(int ms) override {
        BlockingPause::sleep(ms);
        ends.push_back(steadyClockMs());
        if (ended)
            ended();
    }
};

// A block written to the line, and when the program wrote it.
struct Written {
    double atMs;
    QByteArray bytes;
};

// The shipped serial line, noting when each block goes out.
class StampingSerialLine : public SerialLine {
public:
    StampingSerialLine(LineEvents events, std::vector<Written>& log)
        : SerialLine(std::move(events)), log_(log) {}

    bool write(const QByteArray& block, DeviceFault* fault) override {
        log_.push_back({steadyClockMs(), block});
        return SerialLine::write(block, fault);
    }

private:
    std::vector<Written>& log_;
};

// The gaps between the frames of a write sequence, in ms: as the program
// wrote them and as the driver read them.
struct Gaps {
    std::vector<double> written;
    std::vector<double> read;
};

std::vector<double> gapsBetween(const std::vector<double>& times) {
    std::vector<double> gaps;
    for (std::size_t i = 1; i < times.size(); ++i)
        gaps.push_back(times[i] - times[i - 1]);
    return gaps;
}

class LineBench {
public:
    LineBench()
        : shell_(
              [this](const QString& name, PauseGate* gate) {
                  return std::make_unique<CommControl>(
                      name, gate, [this](const QString&, LineEvents events, int) {
                          return std::make_unique<StampingSerialLine>(std::move(events), written_);
                      });
              },
              pause_, messages_) {
        shell_.setEndProgram([] {});
    }

    bool connect(Simulator& sim) {
        sim_ = &sim;
        qputenv("STEPDRIVE_COM4", sim.devicePath().toLocal8Bit());
        shell_.start();
        click(shell_.window(Win::Main), "cmd_comm");
        click(shell_.window(Win::Start), "cmd_common");
        return shell_.window(Win::Main).isVisible();
    }

    Shell& shell() { return shell_; }
    const QStringList& messages() const { return messages_.shown; }

    // Clicks `button` and runs the event loop until the read-back chain it
    // starts has made its `steps` pauses: the time from the click to the
    // end of the last pause, in ms.
    std::optional<double> chain(Win panel, const char* button, std::size_t steps) {
        pause_.ends.clear();
        QEventLoop loop;
        QTimer::singleShot(kWaitMs, &loop, &QEventLoop::quit);
        pause_.ended = [&] {
            if (pause_.ends.size() == steps)
                loop.quit();
        };
        const double start = steadyClockMs();
        click(shell_.window(panel), button);
        if (pause_.ends.size() < steps)
            loop.exec();
        pause_.ended = nullptr;
        if (pause_.ends.size() != steps)
            return std::nullopt;
        return pause_.ends.back() - start;
    }

    // Clicks `button` of a write sequence that sends `frames` frames
    // starting with `prefix` ("AA 00 05"); empty when not all of them went
    // out or reached the driver.
    Gaps gaps(Win panel, const char* button, const QString& prefix, std::size_t frames) {
        const std::size_t before = sim_->receivedAt(prefix).size();
        written_.clear();
        click(shell_.window(panel), button);
        std::vector<double> read;
        const bool all = QTest::qWaitFor(
            [&] {
                read = sim_->receivedAt(prefix);
                return read.size() >= before + frames;
            },
            kWaitMs);
        std::vector<double> written;
        for (const Written& w : written_)
            if (hexOf(w.bytes).startsWith(prefix))
                written.push_back(w.atMs);
        if (!all || read.size() != before + frames || written.size() != frames)
            return {};
        read.erase(read.begin(), read.begin() + static_cast<std::ptrdiff_t>(before));
        return {gapsBetween(written), gapsBetween(read)};
    }

    void switchTo(Win from, const char* button) { click(shell_.window(from), button); }

    void fill(Win panel, const char* box, const QString& text) {
        shell_.window(panel).findChild<QLineEdit*>(QString::fromLatin1(box))->setText(text);
    }

private:
    static void click(QWidget& window, const char* name) {
        window.findChild<QAbstractButton*>(QString::fromLatin1(name))->click();
    }

    TimedPause pause_;
    RecordingMessenger messages_;
    std::vector<Written> written_;
    Shell shell_;
    Simulator* sim_ = nullptr;
};

void chainRow(const std::string& figure, std::optional<double> ms, int steps) {
    const double floor = steps * 100.0;
    const std::string floorText =
        bench::fixed(floor, 0) + " ms: " + std::to_string(steps) + " x 100 ms pauses";
    if (!ms) {
        bench::printRow({figure, "did not end", floorText, "", "≤ 1.02", false});
        return;
    }
    const double ratio = *ms / floor;
    bench::printRow({figure,
                     bench::fixed(*ms, 1) + " ms, " + bench::fixed((*ms - floor) / steps, 2) +
                         " ms over per exchange",
                     floorText, bench::fixed(ratio, 3), "≤ 1.02", ratio <= 1.02});
}

std::string range(const std::vector<double>& values, int decimals, double divisor = 1.0) {
    const auto [low, high] = std::minmax_element(values.begin(), values.end());
    return bench::fixed(*low / divisor, decimals) + "-" + bench::fixed(*high / divisor, decimals);
}

// Judged by the gaps as the program wrote the frames: the driver's reading
// adds the simulator's own wake-up time, shown beside them.
void gapRow(const std::string& figure, const Gaps& gaps, std::size_t expected) {
    const std::string name = figure + ", " + std::to_string(expected) + " gaps";
    const std::string floorText = "150 ms pause";
    if (gaps.written.size() != expected) {
        bench::printRow({name, "frames missing", floorText, "", "150-153 ms", false});
        return;
    }
    const auto [low, high] = std::minmax_element(gaps.written.begin(), gaps.written.end());
    bench::printRow(
        {name,
         range(gaps.written, 2) + " ms written (" + range(gaps.read, 1) + " ms read by the driver)",
         floorText, range(gaps.written, 4, 150.0), "150-153 ms", *low >= 150.0 && *high <= 153.0});
}

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    pointPortsNowhere();
    QApplication app(argc, argv);
    nameTheProgram();
    applyApplicationLook();
    const QTemporaryDir settings;
    keepSettingsIn(settings.path());

    Simulator sim({QStringLiteral("--verbose")});
    LineBench bench;
    if (sim.devicePath().isEmpty() || !bench.connect(sim)) {
        std::fprintf(stderr, "line bench: could not connect to stepdrive-sim\n");
        return 1;
    }
    QTest::qWait(200); // the windows settle

    gapRow("line: WRITE ALL, main panel", bench.gaps(Win::Main, "cmd_Data", "AA 00 05", 7), 6);
    chainRow("line: READ ALL, main panel", bench.chain(Win::Main, "cmd_RData", 7), 7);

    bench.switchTo(Win::Main, "cmd_JP");
    for (int row = 0; row < 7; ++row) {
        bench.fill(Win::JogPosition, qPrintable(QStringLiteral("Text_pos_%1").arg(row)),
                   QString::number(1000 * (row + 1)));
        bench.fill(Win::JogPosition, qPrintable(QStringLiteral("text_vel_%1").arg(row)),
                   QStringLiteral("500"));
        bench.fill(Win::JogPosition, qPrintable(QStringLiteral("text_acc_%1").arg(row)),
                   QStringLiteral("10"));
    }
    gapRow("line: table download", bench.gaps(Win::JogPosition, "CMD_DOWN", "CC 00 0E", 7), 6);
    chainRow("line: table read-back", bench.chain(Win::JogPosition, "CMD_READ", 7), 7);

    bench.switchTo(Win::JogPosition, "Command1");
    gapRow("line: belt write", bench.gaps(Win::Belt, "cmd_Data", "AA 00 0D", 5), 4);
    chainRow("line: belt read-back", bench.chain(Win::Belt, "cmd_RData", 4), 4);

    for (const QString& message : bench.messages())
        std::fprintf(stderr, "line bench: message: %s\n", qPrintable(message));
    if (sim.process().state() == QProcess::NotRunning)
        std::fprintf(stderr, "line bench: stepdrive-sim ended on its way (%s, status %d)\n",
                     sim.process().exitStatus() == QProcess::CrashExit ? "killed" : "exited",
                     sim.process().exitCode());
    bench.shell().exitProgram();
    return bench.messages().isEmpty() ? 0 : 1;
}
