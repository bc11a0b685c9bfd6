// Runs the real stepdrive-sim and talks to it over its pseudo-terminal.

#include "core/commands.h"
#include "core/frame.h"
#include "tests/support/fakes.h"
#include "tests/support/simulator.h"

#include <QDeadlineTimer>
#include <QProcess>
#include <QSerialPort>
#include <QTcpSocket>
#include <QTest>
#include <QUrl>
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

// The host's end of the line, opened as the program's own port class opens
// it: exclusively, raw, at 19200.
class Port : public QSerialPort {
public:
    explicit Port(const QString& path) : QSerialPort(path) {
        setBaudRate(19200);
        open(QIODevice::ReadWrite);
    }
    void send(const Bytes& bytes) {
        QSerialPort::write(reinterpret_cast<const char*>(bytes.data()),
                           static_cast<qint64>(bytes.size()));
        EXPECT_TRUE(waitForBytesWritten(kWaitMs));
    }
    Bytes read(std::size_t count, int waitMs = kWaitMs) {
        const QDeadlineTimer deadline(waitMs);
        while (static_cast<std::size_t>(bytesAvailable()) < count &&
               waitForReadyRead(static_cast<int>(deadline.remainingTime()))) {
        }
        const QByteArray got = QSerialPort::read(static_cast<qint64>(count));
        return Bytes(got.begin(), got.end());
    }
    Bytes ask(Format format, const std::vector<std::uint8_t>& args) {
        send(commandBlock(format, args));
        return read(static_cast<std::size_t>(formatInfo(format).frameLength));
    }
    Bytes ask(std::uint8_t code, std::uint8_t option, std::int32_t value = 0) {
        const Bytes d = bigEndian(value, 4);
        return ask(Format::Short, {code, option, d[0], d[1], d[2], d[3]});
    }
};

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
    Port port(sim.devicePath());
    ASSERT_TRUE(port.isOpen());
    for (const CommandCode& c : kCommandTable)
        for (std::uint8_t o : c.opts)
            expectWellFormed(port.ask(c.format, {c.cmd, o}), c.format, c.cmd);

    // Outside the table, and after garbage on the line: still answered.
    port.send({0x00, 0xAA, 0x55, 0xCC, 0xEE, 0x01});
    const Bytes unknown = port.ask(Format::Short, {0x21, 0x03, 9, 8, 7, 6});
    EXPECT_EQ(unknown, replyFrame(Format::Short, 0x21, {9, 8, 7, 6}));
}

// The inputs given on the command line, and a move that ends on the
// simulator's own clock.
TEST(sim_Program, reportsTheGivenInputsAndMovesTheMotor) {
    Simulator sim({"--inputs", "0x5A"});
    Port port(sim.devicePath());
    ASSERT_TRUE(port.isOpen());
    const Bytes status = port.ask(cmd::ReadInputs, opt::Inputs);
    ASSERT_EQ(status.size(), 10u);
    EXPECT_EQ(status[7], 0x5A);

    // 20000 pulses at the default run speed (80000 pulses a second).
    port.ask(cmd::Move, opt::MoveAbsolute, 20000);
    const auto position = [&] {
        const Bytes r = port.ask(cmd::ReadParameter, opt::Position);
        return parseReply(Format::Short, r.data(), r.size(), true).value();
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return position() == 20000; }, kWaitMs));
}

// The host closes and reopens the port on every panel switch.
TEST(sim_Program, answersAgainAfterThePortIsClosedAndReopened) {
    Simulator sim;
    for (int round = 0; round < 3; ++round) {
        Port port(sim.devicePath());
        ASSERT_TRUE(port.isOpen()) << port.errorString().toStdString();
        if (round == 0)
            port.ask(cmd::WriteParameter, 1, 17);
        EXPECT_EQ(port.ask(cmd::ReadParameter, 1), replyFrame(Format::Short, 6, {0, 0, 0, 17}))
            << round;
    }
    EXPECT_EQ(sim.process().state(), QProcess::Running);
}

TEST(sim_Program, faultOptionsShapeTheReplies) {
    {
        Simulator sim({"--fault", "status", "--every", "2"});
        Port port(sim.devicePath());
        for (int n = 1; n <= 4; ++n) {
            const Bytes reply = port.ask(cmd::Stop, 0);
            ASSERT_EQ(reply.size(), 10u);
            EXPECT_EQ(reply[3], n % 2 == 0 ? 0x65 : 0x64) << n;
        }
    }
    {
        Simulator sim({"--drop=2", "--split", "3", "--delay-ms", "20", "--noise", "4"});
        Port port(sim.devicePath());
        port.send(commandBlock(Format::Short, {cmd::HomeSearch, opt::HomeSearch}));
        Bytes reply = port.read(14);
        ASSERT_EQ(reply.size(), 14u);
        EXPECT_EQ(std::count(reply.begin(), reply.begin() + 4, kReplyHeader), 0);
        EXPECT_EQ(Bytes(reply.begin() + 4, reply.end()),
                  replyFrame(Format::Short, cmd::HomeSearch, {0, 0, 0, 0}));

        // The second reply never comes; the third does.
        port.send(commandBlock(Format::Short, {cmd::Stop, 0}));
        EXPECT_TRUE(port.read(1, 300).empty());
        port.send(commandBlock(Format::Short, {cmd::Stop, 0}));
        reply = port.read(14);
        ASSERT_EQ(reply.size(), 14u);
        EXPECT_EQ(reply[4 + 2], cmd::Stop);
    }
}

// The verbose log is stamped with the steady clock, which the tests share
// with the simulator: pacing on the line can be measured from it.
TEST(sim_Program, verboseLogStampsEachFrameWithTheSteadyClock) {
    Simulator sim({"--verbose"});
    Port port(sim.devicePath());
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

// On a TCP port: one client at a time, as a device server; the driver keeps
// its state from one client to the next, and the fault options hold there too.
TEST(sim_Program, servesOneTcpClientAtATime) {
    Simulator sim({"--listen", "127.0.0.1:0", "--fault", "trailer", "--every", "2"});
    const QUrl where(sim.devicePath());
    ASSERT_EQ(where.scheme(), "tcp") << sim.devicePath().toStdString();
    const auto ask = [](QTcpSocket& s, std::uint8_t code, std::uint8_t option, std::int32_t value) {
        const Bytes d = bigEndian(value, 4);
        const Bytes block = commandBlock(Format::Short, {code, option, d[0], d[1], d[2], d[3]});
        s.write(reinterpret_cast<const char*>(block.data()), static_cast<qint64>(block.size()));
        EXPECT_TRUE(QTest::qWaitFor([&] { return s.bytesAvailable() >= 10; }, kWaitMs));
        const QByteArray got = s.readAll();
        return Bytes(got.begin(), got.end());
    };
    QTcpSocket first, second;
    first.connectToHost(where.host(), static_cast<quint16>(where.port()));
    ASSERT_TRUE(first.waitForConnected(kWaitMs));
    EXPECT_EQ(ask(first, cmd::WriteParameter, 1, 17), replyFrame(Format::Short, 5, {0, 0, 0, 17}));
    second.connectToHost(where.host(), static_cast<quint16>(where.port()));
    EXPECT_TRUE(QTest::qWaitFor([&] { return second.state() == QAbstractSocket::UnconnectedState; },
                                kWaitMs));
    Bytes faulty = replyFrame(Format::Short, 6, {0, 0, 0, 17});
    faulty[8] = 0xEF;
    EXPECT_EQ(ask(first, cmd::ReadParameter, 1, 0), faulty);
    first.disconnectFromHost();

    QTcpSocket next;
    next.connectToHost(where.host(), static_cast<quint16>(where.port()));
    ASSERT_TRUE(next.waitForConnected(kWaitMs));
    EXPECT_EQ(ask(next, cmd::ReadParameter, 1, 0), replyFrame(Format::Short, 6, {0, 0, 0, 17}));
    EXPECT_TRUE(sim.stop());
    EXPECT_EQ(runToEnd({"--listen", "127.0.0.1:65536"}).exitCode, 1);
}
