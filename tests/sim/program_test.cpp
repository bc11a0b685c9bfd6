// Runs the real stepdrive-sim and talks to it over its pseudo-terminal.

#include "core/commands.h"
#include "core/frame.h"
#include "tests/support/fakes.h"
#include "tests/support/simulator.h"

#include <QProcess>
#include <QSerialPort>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace stepdrive;
using namespace stepdrive::test;
using namespace std::chrono_literals;

namespace {

// The host's end of the line: the slave side, raw, as a serial port.
class Port {
public:
    explicit Port(const std::string& path) {
        fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        if (fd_ < 0)
            return;
        termios t{};
        tcgetattr(fd_, &t);
        cfmakeraw(&t);
        cfsetspeed(&t, B19200);
        tcsetattr(fd_, TCSANOW, &t);
    }
    ~Port() { close(); }
    void close() {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    bool isOpen() const { return fd_ >= 0; }

    void write(const Bytes& bytes) {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    // Up to `count` bytes, waiting at most `waitMs` for them.
    Bytes read(std::size_t count, int waitMs = kWaitMs) {
        Bytes got;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
        while (got.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                break;
            pollfd pfd{fd_, POLLIN, 0};
            if (poll(&pfd, 1, static_cast<int>(left.count())) <= 0)
                continue;
            std::uint8_t buffer[64];
            const ssize_t n = ::read(fd_, buffer, std::min(sizeof buffer, count - got.size()));
            if (n > 0)
                got.insert(got.end(), buffer, buffer + n);
        }
        return got;
    }

    // Sends one command and returns the reply (whatever arrived in time).
    Bytes ask(Format format, const std::vector<std::uint8_t>& args) {
        write(commandBlock(format, args));
        return read(static_cast<std::size_t>(formatInfo(format).frameLength));
    }
    Bytes ask(std::uint8_t code, std::uint8_t option, std::int32_t value = 0) {
        const Bytes d = bigEndian(value, 4);
        return ask(Format::Short, {code, option, d[0], d[1], d[2], d[3]});
    }
    std::int32_t value(std::uint8_t code, std::uint8_t option) {
        const Bytes r = ask(code, option);
        EXPECT_EQ(r.size(), 10u);
        return parseReply(Format::Short, r.data(), r.size(), true).value().value_or(0);
    }

private:
    int fd_ = -1;
};

// The reply's length, code, fixed bytes and checksum are right.
void expectWellFormed(const Bytes& reply, Format format, std::uint8_t code) {
    const int length = formatInfo(format).frameLength;
    ASSERT_EQ(reply.size(), static_cast<std::size_t>(length)) << int(code);
    const Reply r = parseReply(format, reply.data(), reply.size(), true);
    EXPECT_EQ(r.code, code);
    EXPECT_EQ(r.wrongBytes(), 0) << int(code);
    EXPECT_EQ(reply[length - 1], checksum(reply.data(), 1, length - 3));
}

struct Finished {
    int exitCode;
    QByteArray out, err;
};

Finished runToEnd(const QStringList& arguments) {
    QProcess p;
    p.start(simulatorProgram(), arguments);
    if (!p.waitForFinished(kWaitMs)) {
        p.kill();
        p.waitForFinished(kWaitMs);
        return {-1, {}, {}};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1, p.readAllStandardOutput(),
            p.readAllStandardError()};
}

} // namespace

TEST(sim_Program, answersEveryCommandOfTheTable) {
    Simulator sim;
    ASSERT_FALSE(sim.devicePath().toStdString().empty());
    Port port(sim.devicePath().toStdString());
    ASSERT_TRUE(port.isOpen());
    for (const CommandCode& c : kCommandTable)
        for (std::uint8_t o : c.opts)
            expectWellFormed(port.ask(c.format, {c.cmd, o}), c.format, c.cmd);

    // Outside the table, and after garbage on the line: still answered.
    port.write({0x00, 0xAA, 0x55, 0xCC, 0xEE, 0x01});
    const Bytes unknown = port.ask(Format::Short, {0x21, 0x03, 9, 8, 7, 6});
    EXPECT_EQ(unknown, replyFrame(Format::Short, 0x21, {9, 8, 7, 6}));
}

TEST(sim_Program, keepsStateAndMovesTheMotor) {
    Simulator sim({"--inputs", "0x5A"});
    Port port(sim.devicePath().toStdString());
    ASSERT_TRUE(port.isOpen());

    EXPECT_EQ(port.value(cmd::ReadParameter, 4), 800);
    port.ask(cmd::WriteParameter, 4, 2047);
    EXPECT_EQ(port.value(cmd::ReadParameter, 4), 2047);

    // Standing at home: home sensor on, not running; the inputs as given.
    Bytes status = port.ask(cmd::ReadInputs, opt::Inputs);
    ASSERT_EQ(status.size(), 10u);
    EXPECT_EQ(status[6], 0x02);
    EXPECT_EQ(status[7], 0x5A);

    // 20000 pulses at 2047 (204700 pulses a second) are over quickly.
    port.ask(cmd::Move, opt::MoveAbsolute, 20000);
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (port.value(cmd::ReadParameter, opt::Position) != 20000 &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(20ms);
    EXPECT_EQ(port.value(cmd::ReadParameter, opt::Position), 20000);
    status = port.ask(cmd::ReadInputs, opt::Inputs);
    ASSERT_EQ(status.size(), 10u);
    EXPECT_EQ(status[6], 0x00);
}

// The host closes and reopens the port on every panel switch. The program's
// own port class takes the line exclusively and sets its own mode.
TEST(sim_Program, answersAgainAfterThePortIsClosedAndReopened) {
    Simulator sim;
    {
        Port port(sim.devicePath().toStdString());
        port.ask(cmd::WriteParameter, 1, 17);
    }
    QSerialPort port(QString::fromStdString(sim.devicePath().toStdString()));
    port.setBaudRate(19200);
    for (int round = 0; round < 3; ++round) {
        std::this_thread::sleep_for(50ms);
        ASSERT_TRUE(port.open(QIODevice::ReadWrite)) << port.errorString().toStdString();
        const Bytes block = commandBlock(Format::Short, {cmd::ReadParameter, 1});
        port.write(reinterpret_cast<const char*>(block.data()), static_cast<qint64>(block.size()));
        ASSERT_TRUE(port.waitForBytesWritten(kWaitMs));
        while (port.bytesAvailable() < 10 && port.waitForReadyRead(kWaitMs)) {
        }
        const QByteArray reply = port.readAll();
        ASSERT_EQ(reply.size(), 10) << round;
        EXPECT_EQ(hexOf(reply), hexOf(replyFrame(Format::Short, 6, {0, 0, 0, 17})));
        port.close();
    }
    EXPECT_EQ(sim.process().state(), QProcess::Running);
}

TEST(sim_Program, faultOptionsShapeTheReplies) {
    {
        Simulator sim({"--fault", "status", "--every", "2"});
        Port port(sim.devicePath().toStdString());
        for (int n = 1; n <= 4; ++n) {
            const Bytes reply = port.ask(cmd::Stop, 0);
            ASSERT_EQ(reply.size(), 10u);
            EXPECT_EQ(reply[3], n % 2 == 0 ? 0x65 : 0x64) << n;
        }
    }
    {
        Simulator sim({"--drop=2", "--split", "3", "--delay-ms", "20", "--noise", "4"});
        Port port(sim.devicePath().toStdString());
        port.write(commandBlock(Format::Short, {cmd::HomeSearch, opt::HomeSearch}));
        Bytes reply = port.read(14);
        ASSERT_EQ(reply.size(), 14u);
        EXPECT_EQ(std::count(reply.begin(), reply.begin() + 4, kReplyHeader), 0);
        EXPECT_EQ(Bytes(reply.begin() + 4, reply.end()),
                  replyFrame(Format::Short, cmd::HomeSearch, {0, 0, 0, 0}));

        // The second reply never comes; the third does.
        port.write(commandBlock(Format::Short, {cmd::Stop, 0}));
        EXPECT_TRUE(port.read(1, 300).empty());
        port.write(commandBlock(Format::Short, {cmd::Stop, 0}));
        reply = port.read(14);
        ASSERT_EQ(reply.size(), 14u);
        EXPECT_EQ(reply[4 + 2], cmd::Stop);
    }
}

// The verbose log is stamped with the steady clock, which the tests share
// with the simulator: pacing on the line can be measured from it.
TEST(sim_Program, verboseLogStampsEachFrameWithTheSteadyClock) {
    Simulator sim({"--verbose"});
    Port port(sim.devicePath().toStdString());
    ASSERT_TRUE(port.isOpen());
    const auto msNow = [] {
        return std::chrono::duration<double, std::milli>(
                   std::chrono::steady_clock::now().time_since_epoch())
            .count();
    };
    const double before = msNow();
    port.ask(cmd::HomeSearch, opt::HomeSearch);
    const double after = msNow();

    QProcess& p = sim.process();
    p.setReadChannel(QProcess::StandardError);
    while (!p.canReadLine() && p.waitForReadyRead(kWaitMs)) {
    }
    const QList<QByteArray> line = p.readLine().trimmed().split(' ');
    ASSERT_GE(line.size(), 3);
    bool isNumber = false;
    const double stamp = line[0].toDouble(&isNumber);
    EXPECT_TRUE(isNumber) << line[0].toStdString();
    EXPECT_GE(stamp, before);
    EXPECT_LE(stamp, after);
    EXPECT_EQ(line[1], "<-");
    EXPECT_EQ(line[2], "AA");
}

TEST(sim_Program, helpBadOptionsAndSignals) {
    const Finished help = runToEnd({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* word : {"--inputs", "--fault", "--every", "--drop", "--delay-ms", "--split",
                             "--noise", "pulses per second", "echo"})
        EXPECT_TRUE(help.out.contains(word)) << word;

    const QStringList bad[] = {
        {"--bogus"},      {"--inputs", "256"}, {"--inputs"},      {"--fault", "nothing"},
        {"--every", "0"}, {"--drop", "-1"},    {"--split", "1x"}, {"extra"}};
    for (const QStringList& arguments : bad) {
        const Finished run = runToEnd(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.join(' ').toStdString();
        EXPECT_FALSE(run.err.isEmpty()) << arguments.join(' ').toStdString();
    }

    for (int signal : {SIGINT, SIGTERM}) {
        Simulator sim;
        ASSERT_FALSE(sim.devicePath().toStdString().empty());
        ::kill(static_cast<pid_t>(sim.process().processId()), signal);
        ASSERT_TRUE(sim.process().waitForFinished(kWaitMs)) << signal;
        EXPECT_EQ(sim.process().exitStatus(), QProcess::NormalExit) << signal;
        EXPECT_EQ(sim.process().exitCode(), 0) << signal;
    }
}
