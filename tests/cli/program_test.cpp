// The stepdrive-cli program against stepdrive-sim on a pseudo-terminal:
// round trips, what goes on the line, failures and their exit statuses.

#include "tests/support/fakes.h"
#include "tests/support/profiles.h"
#include "tests/support/simulator.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>
#include <memory>

using namespace stepdrive::test;

namespace {

constexpr int kRunMs = 30000;

class Program : public ::testing::Test {
protected:
    void startSimulator() {
        sim = std::make_unique<Simulator>(QStringList{"--verbose"});
        ASSERT_FALSE(sim->devicePath().isEmpty());
    }
    void TearDown() override {
        if (sim) {
            EXPECT_TRUE(sim->stop());
        }
    }

    // Runs stepdrive-cli on the simulator's line (unless `arguments` name a
    // port) and returns its exit status.
    int cli(QStringList arguments) {
        if (sim && !arguments.contains("--port"))
            arguments = QStringList{"--port", sim->devicePath()} + arguments;
        QProcess process;
        process.start(QStringLiteral(STEPDRIVE_CLI_PATH), arguments);
        EXPECT_TRUE(process.waitForFinished(kRunMs)) << arguments.join(' ').toStdString();
        out = QString::fromUtf8(process.readAllStandardOutput());
        err = QString::fromUtf8(process.readAllStandardError());
        return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    // The simulator's stamps of the frames it got that start with `prefix`,
    // once there are `count` of them.
    std::vector<double> received(const QString& prefix, std::size_t count) {
        std::vector<double> times;
        const bool arrived = QTest::qWaitFor(
            [&] {
                times = sim->receivedAt(prefix);
                return times.size() >= count;
            },
            kWaitMs);
        EXPECT_TRUE(arrived) << prefix.toStdString();
        return times;
    }

    std::unique_ptr<Simulator> sim;
    TempFiles files;
    QString out;
    QString err;
};

void expectApart(const std::vector<double>& times, double ms, const char* what) {
    for (std::size_t i = 1; i < times.size(); ++i)
        EXPECT_GE(times[i] - times[i - 1], ms) << what << " " << i;
}

} // namespace

TEST_F(Program, applyThenDumpRoundTripsAProfileOfNonDefaultValues) {
    ASSERT_NO_FATAL_FAILURE(startSimulator());
    ASSERT_EQ(cli({"apply", files.with(kNonDefaultProfile)}), 0) << err.toStdString();
    EXPECT_FALSE(err.contains("motor 7/7")) << "no progress when standard error is a pipe";

    ASSERT_EQ(cli({"dump"}), 0) << err.toStdString();
    QJsonObject expected = QJsonDocument::fromJson(kNonDefaultProfile).object();
    QJsonObject belt = expected["belt"].toObject();
    belt.remove("in2_used"); // the driver can't report it
    expected["belt"] = belt;
    EXPECT_EQ(QJsonDocument::fromJson(out.toUtf8()).object(), expected) << out.toStdString();

    // On the line: the 19 frames of the write at least 150 ms apart, then
    // the 18 read requests at least 100 ms after the reply before.
    ASSERT_EQ(received("AA 00 0E", 8).size(), 8u); // the last requests, of apply and dump
    std::vector<double> writes;
    for (const char* prefix : {"AA 00 05", "CC 00 0E", "AA 00 0D"}) {
        const auto times = sim->receivedAt(prefix);
        writes.insert(writes.end(), times.begin(), times.end());
    }
    ASSERT_EQ(writes.size(), 19u);
    expectApart(writes, 150.0, "write");
    const auto motorReads = received("AA 00 06", 14);
    const auto tableReads = received("CC 00 0F", 14);
    ASSERT_EQ(motorReads.size(), 14u); // apply, then dump
    ASSERT_EQ(tableReads.size(), 14u);
    EXPECT_GE(motorReads[0] - writes.back(), 150.0);
    expectApart({motorReads.begin(), motorReads.begin() + 7}, 100.0, "motor read");
    expectApart(tableReads, 100.0, "table read");
}

// The command line takes back what it dumps: the file a technician keeps
// sets up the next drive.
TEST_F(Program, dumpThenApplyThenDumpGivesTheSameFile) {
    ASSERT_NO_FATAL_FAILURE(startSimulator());
    ASSERT_EQ(cli({"dump"}), 0) << err.toStdString();
    const QString dumped = out;
    ASSERT_EQ(cli({"apply", files.with(dumped.toUtf8())}), 0) << err.toStdString();
    ASSERT_EQ(cli({"dump"}), 0) << err.toStdString();
    EXPECT_EQ(out, dumped);
}

TEST_F(Program, aMissingDeviceExitsTwo) {
    EXPECT_EQ(cli({"--port", "/dev/stepdrive-nothing-here", "position"}), 2);
    EXPECT_TRUE(err.contains("the port can't be opened: /dev/stepdrive-nothing-here"))
        << err.toStdString();
    ComMapping com9(9, "/dev/stepdrive-nothing-here");
    EXPECT_EQ(cli({"--port", "COM9", "position"}), 2);
}

TEST_F(Program, traceWritesTheFramesToStandardError) {
    ASSERT_NO_FATAL_FAILURE(startSimulator());
    ASSERT_EQ(cli({"--trace", "position"}), 0) << err.toStdString();
    EXPECT_EQ(out, "position=0\n");
    const QRegularExpression frameOut(
        R"(stepdrive.link: \d\d:\d\d:\d\d\.\d\d\d cli out AA 00 06 08 00 00 00 00 EE 0E 00 00)");
    EXPECT_TRUE(err.contains(frameOut)) << err.toStdString();
}

// Several ports at once: a silent driver or a missing device is named and
// sets the exit status; the other drives are set up and verified all the same.
TEST_F(Program, severalPortsAreSetUpTogetherAndOneThatFailsIsNamed) {
    Simulator first, second, silent({"--drop", "1"});
    const QString missing = "/dev/stepdrive-nothing-here";
    const QString motor = files.with(R"({"motor": {"run_current": 25, "stop_current": 6,
        "run_speed": 1200, "acceleration": 40, "homing_speed": 700, "home_offset": -5000,
        "resolution": 4}})");
    const QStringList good{first.devicePath(), second.devicePath()};
    const struct {
        QString bad;
        bool json;
        int status;
        const char* said;
    } cases[] = {{silent.devicePath(), false, 4, "no reply to AA 00 05 01"},
                 {missing, true, 2, "the port can't be opened"}};
    for (const auto& c : cases) {
        QStringList arguments{"--timeout", "0.3", "--port", good[0],
                              "--port",    c.bad, "--port", good[1]};
        if (c.json)
            arguments << "--json";
        EXPECT_EQ(cli(arguments << "apply" << motor), c.status) << err.toStdString();
        EXPECT_TRUE(err.contains("stepdrive-cli: " + c.bad + ": " + c.said)) << err.toStdString();
        // With --json, one object a port, in the order given.
        const QJsonArray listed = QJsonDocument::fromJson(out.toUtf8()).array();
        for (int i : {0, 2})
            EXPECT_TRUE(c.json ? listed[i]["port"] == good[i / 2] &&
                                     listed[i]["verified"]["motor"]["run_current"] == 25
                               : out.contains(good[i / 2] + ": motor.run_current=25\n"))
                << out.toStdString();
        if (c.json) {
            EXPECT_EQ(listed[1]["error"]["status"], c.status) << out.toStdString();
        }
    }

    // A dump of several ports: one profile per port.
    ASSERT_EQ(cli({"--port", good[0], "--port", good[1], "dump"}), 0) << err.toStdString();
    const QJsonObject dumped = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(dumped.size(), 2);
    for (const QString& port : good)
        EXPECT_EQ(dumped[port]["motor"]["home_offset"], -5000) << out.toStdString();
}

TEST_F(Program, aScriptWaitsForTheMoveToEnd) {
    ASSERT_NO_FATAL_FAILURE(startSimulator());
    ASSERT_EQ(cli({"move", "abs", "5000", "--wait"}), 0) << err.toStdString();
    EXPECT_EQ(out, "position=5000\n");
}

TEST_F(Program, verifyComparesWithoutWritingAndListsWhatTheDriverChanged) {
    ASSERT_NO_FATAL_FAILURE(startSimulator());
    const QString profile = files.with(kNonDefaultProfile);
    ASSERT_EQ(cli({"apply", profile}), 0) << err.toStdString();
    ASSERT_EQ(cli({"verify", profile}), 0) << err.toStdString();
    EXPECT_TRUE(err.contains("belt.in2_used=true is not verified")) << err.toStdString();
    ASSERT_EQ(cli({"table", "write", "3", "position=-1200"}), 0) << err.toStdString();
    EXPECT_EQ(cli({"verify", profile}), 3);
    EXPECT_EQ(out, "table.3.position=-1200 (the file has -1)\n");
    EXPECT_TRUE(err.contains("1 value(s) on the driver differ from " + profile));
    EXPECT_EQ(received("AA 00 05", 7).size(), 7u) << "verify writes nothing";
    EXPECT_EQ(sim->receivedAt("CC 00 0E").size(), 8u);
}

// A driver on COM4, silence on COM5; each is probed with one position request.
TEST_F(Program, scanFindsTheDriverOnTheComNumberThatMapsToIt) {
    Simulator driver, silent({"--verbose", "--drop", "1"});
    ComMapping com4(4, driver.devicePath());
    ComMapping com5(5, silent.devicePath());
    ASSERT_EQ(cli({"--port", "COM4", "--port", "COM5", "--timeout", "0.3", "scan"}), 0);
    EXPECT_EQ(out, "COM4 (" + driver.devicePath() + "): driver, position=0\nCOM5 (" +
                       silent.devicePath() + "): no driver (no reply to AA 00 06 08 00 00 00 00 " +
                       "EE 0E within 0.3 s (0 of 10 bytes came))\n");
    // Without --port: every COM number set, among the system's devices.
    ASSERT_EQ(cli({"--timeout", "0.3", "--json", "scan"}), 0);
    QJsonObject driverAt;
    for (const QJsonValue& p : QJsonDocument::fromJson(out.toUtf8())["ports"].toArray())
        driverAt[p["port"].toString()] = p["driver"];
    EXPECT_EQ(driverAt["COM4"], true) << out.toStdString();
    EXPECT_EQ(driverAt["COM5"], false) << out.toStdString();
    QTest::qWait(200);
    EXPECT_EQ(silent.receivedAt("AA 00 06 08").size(), 2u) << "one request a scan";
    EXPECT_EQ(silent.receivedAt("").size(), 2u);
}

TEST_F(Program, monitorPrintsARowAnIntervalAndEndsCleanlyOnCtrlC) {
    ASSERT_NO_FATAL_FAILURE(startSimulator());
    ASSERT_EQ(cli({"monitor", "--duration", "2", "--interval", "100", "--csv"}), 0)
        << err.toStdString();
    const QStringList rows = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(rows.size(), 21);
    EXPECT_EQ(rows[0], "time_ms,position,speed,running,home_sensor,in1,in2,in3,in4,in5,in6,in7,"
                       "in8");
    EXPECT_EQ(rows[20], "1900,0,0,0,1,0,0,0,0,0,0,0,0");

    // Ctrl-C ends it after the update under way, with exit status 0.
    QProcess process;
    process.start(QStringLiteral(STEPDRIVE_CLI_PATH),
                  {"--port", sim->devicePath(), "--json", "monitor"});
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            process.waitForReadyRead(100);
            return process.canReadLine();
        },
        kWaitMs));
    ::kill(static_cast<pid_t>(process.processId()), SIGINT);
    ASSERT_TRUE(process.waitForFinished(kRunMs));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    const QJsonObject last =
        QJsonDocument::fromJson(process.readAll().trimmed().split('\n').last()).object();
    EXPECT_EQ(last["port"], sim->devicePath());
}
