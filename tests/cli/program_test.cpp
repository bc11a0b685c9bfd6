// The stepdrive-cli program against stepdrive-sim on a pseudo-terminal:
// round trips, what goes on the line, failures and their exit statuses.

#include "tests/support/fakes.h"
#include "tests/support/profiles.h"
#include "tests/support/ser2net.h"
#include "tests/support/simulator.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

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
        process.setWorkingDirectory(workingFolder);
        process.start(QStringLiteral(STEPDRIVE_CLI_PATH), arguments);
        return finish(process);
    }
    // Waits for a stepdrive-cli started by the test; its exit status.
    int finish(QProcess& process) {
        EXPECT_TRUE(process.waitForFinished(kRunMs)) << process.arguments().join(' ').toStdString();
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
    QString workingFolder; // stepdrive-cli's; the test's own when empty
    TempFiles files;
    QString out;
    QString err;
};

void expectApart(const std::vector<double>& times, double ms, const char* what) {
    for (std::size_t i = 1; i < times.size(); ++i)
        EXPECT_GE(times[i] - times[i - 1], ms) << what << " " << i;
}

} // namespace

TEST_F(Program, applyVerifyThenDumpRoundTripsAProfileOfNonDefaultValues) {
    ASSERT_NO_FATAL_FAILURE(startSimulator());
    const QString profile = files.with(kNonDefaultProfile);
    ASSERT_EQ(cli({"apply", profile}), 0) << err.toStdString();
    EXPECT_FALSE(err.contains("motor 7/7")) << "no progress when standard error is a pipe";
    ASSERT_EQ(cli({"verify", profile}), 0) << err.toStdString();

    ASSERT_EQ(cli({"dump"}), 0) << err.toStdString();
    QJsonObject expected = QJsonDocument::fromJson(kNonDefaultProfile).object();
    QJsonObject belt = expected["belt"].toObject();
    belt.remove("in2_used"); // the driver can't report it
    expected["belt"] = belt;
    QJsonObject dumped = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(dumped["about"].toObject()["port"], sim->devicePath()) << out.toStdString();
    dumped.remove("about");
    EXPECT_EQ(dumped, expected) << out.toStdString();

    // On the line: the 19 frames of the write at least 150 ms apart, then
    // the 18 read requests at least 100 ms after the reply before; verify
    // writes nothing.
    ASSERT_EQ(received("AA 00 0E", 12).size(), 12u); // the last requests, of each command
    std::vector<double> writes;
    for (const char* prefix : {"AA 00 05", "CC 00 0E", "AA 00 0D"}) {
        const auto times = sim->receivedAt(prefix);
        writes.insert(writes.end(), times.begin(), times.end());
    }
    ASSERT_EQ(writes.size(), 19u);
    expectApart(writes, 150.0, "write");
    const auto motorReads = received("AA 00 06", 21);
    const auto tableReads = received("CC 00 0F", 21);
    ASSERT_EQ(motorReads.size(), 21u); // apply, verify, then dump
    ASSERT_EQ(tableReads.size(), 21u);
    EXPECT_GE(motorReads[0] - writes.back(), 150.0);
    expectApart({motorReads.begin(), motorReads.begin() + 7}, 100.0, "motor read");
    expectApart(tableReads, 100.0, "table read");
}

// Output is part of the job: a full device, a closed pipe and a closed
// standard output fail with exit status 6; dump -o writes the whole file or
// none, and a dump that fails leaves the file there as it was.
// -o naming what the shell opened writes there as it stands: appended with
// >>, in its place within a group, through a link; a closed one fails.
TEST_F(Program, outputIntoWhatTheShellOpenedIsWrittenWhereItStands) {
    ASSERT_NO_FATAL_FAILURE(startSimulator());
    QTemporaryDir dir;
    // Judged before the first frame: a FIFO nobody reads, a missing folder.
    const QByteArray fifo = QFile::encodeName(dir.filePath("fifo"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    for (const QString& target : {QFile::decodeName(fifo), dir.filePath("none/drive.json")})
        EXPECT_EQ(cli({"dump", "-o", target}), 6) << target.toStdString();
    EXPECT_TRUE(sim->received().isEmpty()) << sim->received().join(' ').toStdString();
    // A file only readable keeps its mode: a user who may not write it is
    // refused with nothing sent, root writes it in place.
    QFile::setPermissions(dir.path(), QFile::permissions(dir.path()) | QFile::ExeOther);
    const QString readOnly = dir.filePath("kept.json");
    QFile(readOnly).open(QIODevice::WriteOnly);
    QFile::setPermissions(readOnly, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    if (::geteuid() == 0) {
        QProcess nobody;
        nobody.start("setpriv",
                     {"--reuid=65534", "--regid=65534", "--clear-groups", STEPDRIVE_CLI_PATH,
                      "--port", sim->devicePath(), "dump", "-o", readOnly});
        EXPECT_EQ(finish(nobody), 6) << err.toStdString();
        EXPECT_TRUE(err.contains("kept.json could not be written: Permission denied"))
            << err.toStdString();
        EXPECT_TRUE(sim->received().isEmpty());
    }
    EXPECT_EQ(cli({"dump", "-o", readOnly}), ::geteuid() == 0 ? 0 : 6) << err.toStdString();
    struct stat mode {};
    ASSERT_EQ(::stat(QFile::encodeName(readOnly).constData(), &mode), 0);
    EXPECT_EQ(mode.st_mode & 0777, 0444u);
    // A name is the system's bytes, whether UTF-8 or not; a failure after
    // the frames names the port.
    QProcess latin;
    latin.setWorkingDirectory(dir.path());
    latin.start("bash", {"-c", R"("$0" "$@" -o $'out\xe9.json')", STEPDRIVE_CLI_PATH, "--port",
                         sim->devicePath(), "dump"});
    EXPECT_EQ(finish(latin), 0) << err.toStdString();
    struct stat made {};
    EXPECT_EQ(
        ::stat(QByteArray(QFile::encodeName(dir.path()) + "/out\xe9.json").constData(), &made), 0);
    EXPECT_EQ(cli({"--json", "dump", "-o", "/dev/full"}), 6);
    EXPECT_TRUE(out.contains(QStringLiteral("\"port\":\"%1\"").arg(sim->devicePath())))
        << out.toStdString();

    QFile log(dir.filePath("log"));
    ASSERT_TRUE(log.open(QIODevice::WriteOnly) && log.write("kept\n") == 5);
    log.close();
    struct stat before {
    }, after{};
    ASSERT_EQ(::stat(QFile::encodeName(log.fileName()).constData(), &before), 0);
    const struct {
        const char* shell;
        int status;
    } cases[] = {
        {R"("$0" "$@" -o /dev/stdout >>"$LOG")", 0},
        {R"("$0" "$@" -o /dev/fd/3 3>>"$LOG")", 0},
        {R"(ln -sf /dev/stdout "$LOG.out"; "$0" "$@" -o "$LOG.out" >>"$LOG")", 0},
        {R"({ echo header; "$0" "$@" -o /proc/self/fd/1; echo trailer; } >>"$LOG")", 0},
        {R"("$0" "$@" -o /dev/stdout >&-)", 6},
    };
    for (const auto& c : cases) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("LOG", log.fileName());
        process.setProcessEnvironment(env);
        process.start("bash",
                      {"-c", c.shell, STEPDRIVE_CLI_PATH, "--port", sim->devicePath(), "dump"});
        EXPECT_EQ(finish(process), c.status) << c.shell << err.toStdString();
    }
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(text.startsWith("kept\n{")) << text.left(80).toStdString();
    EXPECT_EQ(text.count("\"motor\""), 4);
    // The group's dump stands between its header and its trailer.
    const auto header = text.indexOf("header\n{"), trailer = text.indexOf("}\ntrailer\n");
    EXPECT_TRUE(header > 0 && trailer > header && text.endsWith("trailer\n"))
        << text.right(80).toStdString();
    ASSERT_EQ(::stat(QFile::encodeName(log.fileName()).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
}

TEST_F(Program, outputThatIsNotWrittenFailsAndADumpFileIsWholeOrNone) {
    ASSERT_NO_FATAL_FAILURE(startSimulator());
    const QString program = QStringLiteral(STEPDRIVE_CLI_PATH);
    const struct {
        const char* to;
        QStringList arguments;
    } cases[] = {{"/dev/full", {"dump"}},
                 {"/dev/full", {"params", "read"}},
                 {"/dev/full", {"--json", "position"}},
                 {"a closed pipe", {"position"}},
                 {"a closed standard output", {"table", "read"}}};
    for (const auto& c : cases) {
        const QStringList arguments = QStringList{"--port", sim->devicePath()} + c.arguments;
        QProcess process;
        int pipe[2] = {-1, -1};
        if (QString(c.to).endsWith("pipe")) {
            // A pipe nobody reads: its read end is closed before the start.
            ASSERT_EQ(::pipe(pipe), 0);
            ::close(pipe[0]);
            process.setChildProcessModifier([&pipe] { ::dup2(pipe[1], STDOUT_FILENO); });
        }
        if (QString(c.to) == "/dev/full")
            process.setStandardOutputFile(c.to);
        if (QString(c.to).endsWith("output"))
            process.start("/bin/sh",
                          QStringList{"-c", "exec \"$0\" \"$@\" >&-", program} + arguments);
        else
            process.start(program, arguments);
        EXPECT_EQ(finish(process), 6) << c.to << " " << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(err.contains("stepdrive-cli: standard output could not be written"))
            << err.toStdString();
        if (pipe[1] >= 0)
            ::close(pipe[1]);
    }

    QTemporaryDir dir;
    const QString kept = dir.filePath("drive.json");
    QFile old(kept);
    ASSERT_TRUE(old.open(QIODevice::WriteOnly) && old.write("old") == 3);
    old.close();
    Simulator silent({"--drop", "1"});
    EXPECT_EQ(cli({"--timeout", "0.3", "--port", silent.devicePath(), "dump", "-o", kept}), 4);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), "old");
    old.close();
    // A place where no file can be made, even by root.
    EXPECT_EQ(cli({"dump", "--output", "/proc/stepdrive-drive.json"}), 6);
    EXPECT_TRUE(err.contains("/proc/stepdrive-drive.json could not be written"))
        << err.toStdString();
    EXPECT_FALSE(QFile::exists("/proc/stepdrive-drive.json"));
    ASSERT_EQ(cli({"dump", "-o", kept}), 0) << err.toStdString();
    EXPECT_TRUE(out.isEmpty());
    EXPECT_EQ(cli({"verify", kept}), 0) << err.toStdString();

    // What is not a regular file is written to, never replaced: a FIFO's
    // reader gets the profile, and private copies of /dev/null and /dev/full
    // (made where the tests run as root) stay character devices.
    const QByteArray fifo = QFile::encodeName(dir.filePath("fifo"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    EXPECT_EQ(cli({"dump", "-o", fifo}), 6) << "nothing reads it";
    EXPECT_TRUE(err.contains("nothing reads the FIFO")) << err.toStdString();
    QFile reader;
    ASSERT_TRUE(reader.open(::open(fifo.constData(), O_RDONLY | O_NONBLOCK), QIODevice::ReadOnly,
                            QFile::AutoCloseHandle));
    EXPECT_EQ(cli({"dump", "-o", fifo}), 0) << err.toStdString();
    EXPECT_TRUE(QJsonDocument::fromJson(reader.readAll()).object().contains("motor"));
    const auto kind = [](const QByteArray& path) {
        struct stat st {};
        return ::lstat(path.constData(), &st) == 0 ? st.st_mode & S_IFMT : 0;
    };
    EXPECT_EQ(kind(fifo), S_IFIFO);
    const struct {
        const char* name;
        int minor;
        int status;
    } devices[] = {{"null", 3, 0}, {"full", 7, 6}};
    for (const auto& d : devices) {
        const QByteArray device = QFile::encodeName(dir.filePath(d.name));
        if (::mknod(device.constData(), S_IFCHR | 0600, makedev(1, d.minor)) != 0)
            continue; // not root
        EXPECT_EQ(cli({"dump", "-o", device}), d.status) << d.name << err.toStdString();
        EXPECT_EQ(kind(device), S_IFCHR) << d.name;
    }
}

// SIGINT during --wait puts the stop frame on the line; during apply the
// writing stops between frames and says what was written. Exit status 130.
TEST_F(Program, anInterruptStopsTheMotorOrTheWriteAndSaysSo) {
    const struct {
        QStringList arguments;
        const char* after; // SIGINT once the simulator got this frame
        int frames;
        std::size_t stops;
        const char* said;
    } cases[] = {
        {{"move", "rel", "100000000", "--wait"},
         "AA 00 0C",
         1,
         1,
         "interrupted, while waiting: the stop command went out and was answered"},
        {{"apply", files.with(kNonDefaultProfile)},
         "CC 00 0E",
         2,
         0,
         "interrupted, while writing: motor.* and table.1-"},
    };
    for (const auto& c : cases) {
        Simulator driver({"--verbose"});
        QProcess process;
        process.start(QStringLiteral(STEPDRIVE_CLI_PATH),
                      QStringList{"--port", driver.devicePath()} + c.arguments);
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return driver.receivedAt(c.after).size() >= std::size_t(c.frames); }, kRunMs));
        ::kill(static_cast<pid_t>(process.processId()), SIGINT);
        EXPECT_EQ(finish(process), 130) << err.toStdString();
        EXPECT_TRUE(err.contains(c.said)) << err.toStdString();
        if (c.stops) {
            EXPECT_TRUE(
                QTest::qWaitFor([&] { return !driver.receivedAt("AA 00 03").empty(); }, kWaitMs))
                << "the stop frame";
        } else {
            EXPECT_TRUE(driver.receivedAt("AA 00 03").empty());
        }
        EXPECT_LT(driver.receivedAt("CC 00 0E").size(), 7u) << "the write stopped";
        EXPECT_TRUE(driver.receivedAt("CC 00 0F").empty()) << "nothing read back";
    }
}

// During --wait a second signal still lets the stop frame go out, and a
// third ends the program at once, saying the motor may still be running.
TEST_F(Program, aWaitOutlastsRepeatedInterrupts) {
    const struct {
        QStringList simulator;
        const char* before; // two signals go once the simulator got this frame
        const char* said;
    } cases[] = {
        {{"--verbose"},
         "AA 00 0C",
         "interrupted, while waiting: the stop command went out and was answered"},
        {{"--verbose", "--delay-ms", "1500"},
         "AA 00 03",
         ": ended at once; the motor may still be running (stepdrive-cli --port "},
    };
    for (const auto& c : cases) {
        Simulator driver(c.simulator);
        QProcess process;
        process.start(QStringLiteral(STEPDRIVE_CLI_PATH),
                      {"--timeout", "4", "--port", driver.devicePath(), "move", "abs", "100000000",
                       "--wait"});
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !driver.receivedAt("AA 00 0C").empty(); }, kRunMs));
        if (QString(c.before) != "AA 00 0C") {
            ::kill(static_cast<pid_t>(process.processId()), SIGINT);
            ASSERT_TRUE(
                QTest::qWaitFor([&] { return !driver.receivedAt(c.before).empty(); }, kRunMs));
        }
        for (const int signal : {SIGINT, SIGTERM})
            ::kill(static_cast<pid_t>(process.processId()), signal);
        EXPECT_EQ(finish(process), 130) << err.toStdString();
        EXPECT_TRUE(err.contains(c.said)) << err.toStdString();
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return !driver.receivedAt("AA 00 03").empty(); }, kWaitMs))
            << "the stop frame";
    }
}

// One device under two names is refused before anything is sent: a link
// and its target, two names of one address.
TEST_F(Program, oneDeviceUnderTwoNamesIsRefusedBeforeAnythingIsSent) {
    ASSERT_NO_FATAL_FAILURE(startSimulator());
    QTemporaryDir dir;
    const QString link = dir.filePath("drive");
    ASSERT_TRUE(QFile::link(sim->devicePath(), link));
    const QString port = QString::number(freePort());
    const QStringList pairs[] = {{link, sim->devicePath()},
                                 {"tcp://localhost:" + port, "rfc2217://127.0.0.1:" + port}};
    for (const QStringList& pair : pairs) {
        EXPECT_EQ(
            cli({"--port", pair[0], "--port", pair[1], "apply", files.with(kNonDefaultProfile)}),
            1);
        EXPECT_TRUE(err.contains(
            QString("--port %1 and --port %2 are the same device").arg(pair[0], pair[1])))
            << err.toStdString();
    }
    // The first frame the simulator gets is the one sent after.
    ASSERT_EQ(cli({"position"}), 0) << err.toStdString();
    ASSERT_EQ(received("", 1).size(), 1u);
    EXPECT_EQ(sim->received().size(), 1);
}

TEST_F(Program, aMissingDeviceExitsTwo) {
    EXPECT_EQ(cli({"--port", "/dev/stepdrive-nothing-here", "position"}), 2);
    EXPECT_TRUE(
        err.contains("/dev/stepdrive-nothing-here: the port can't be opened: no such device"))
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

    // Several drives at once say nothing on stderr but the program's own
    // lines: no Qt warning from a line's helpers in another thread.
    ASSERT_EQ(cli({"--port", good[0], "--port", good[1], "apply", motor}), 0) << err.toStdString();
    EXPECT_EQ(err, "");

    // A dump of several ports: one profile per port.
    ASSERT_EQ(cli({"--port", good[0], "--port", good[1], "dump"}), 0) << err.toStdString();
    EXPECT_EQ(err, "");
    const QJsonObject dumped = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(dumped.size(), 2);
    for (const QString& port : good)
        EXPECT_EQ(dumped[port]["motor"]["home_offset"], -5000) << out.toStdString();
    // A port that failed holds the error object it has everywhere.
    EXPECT_EQ(cli({"--port", good[0], "--port", missing, "dump"}), 2);
    const QJsonObject failed = QJsonDocument::fromJson(out.toUtf8())[missing].toObject();
    EXPECT_EQ(failed.keys(), QStringList{"error"}) << out.toStdString();
    EXPECT_EQ(failed["error"]["status"], 2) << out.toStdString();
}

// --wait ends well only where the motion was to end: a run speed or a
// homing speed of 0 leaves the motor where it stood, and that is exit 3.
TEST_F(Program, aScriptWaitsForTheMoveToEndAtItsTarget) {
    ASSERT_NO_FATAL_FAILURE(startSimulator());
    const struct {
        QStringList arguments;
        int status;
        const char* out;
    } steps[] = {
        {{"move", "abs", "5000", "--wait"}, 0, "position=5000\n"},
        {{"move", "rel", "-300", "--wait"}, 0, "position=4700\n"},
        {{"params", "write", "run_speed=0", "homing_speed=0"}, 0, nullptr},
        {{"move", "abs", "1000", "--wait"}, 3, "position=4700\n"},
        {{"home", "--wait"}, 3, "position=4700\n"},
    };
    for (const auto& step : steps) {
        EXPECT_EQ(cli(step.arguments), step.status) << err.toStdString();
        if (step.out) {
            EXPECT_EQ(out, step.out);
        }
    }
    EXPECT_TRUE(err.contains("the motor stopped at 4700, not at 0")) << err.toStdString();
}

// A bare name is the device under /dev, whatever the working folder holds:
// that device is what opens, what the check compares and what is named.
TEST_F(Program, aBareNameIsTheDeviceUnderDevWhateverTheWorkingFolderHolds) {
    ASSERT_NO_FATAL_FAILURE(startSimulator());
    ASSERT_TRUE(sim->devicePath().startsWith("/dev/pts/"));
    const QString bare = sim->devicePath().mid(5); // "pts/N"
    Simulator other;
    QTemporaryDir here;
    workingFolder = here.path();
    ASSERT_TRUE(QDir(here.path()).mkdir("pts"));
    ASSERT_TRUE(QFile::link(other.devicePath(), here.filePath(bare)));

    ASSERT_EQ(cli({"--port", bare, "position"}), 0) << err.toStdString();
    EXPECT_EQ(received("AA 00 06", 1).size(), 1u);
    EXPECT_TRUE(other.received().isEmpty());

    EXPECT_EQ(cli({"--port", "./" + bare, "--port", sim->devicePath(), "dump"}), 0)
        << err.toStdString();
    EXPECT_EQ(cli({"--port", bare, "--port", sim->devicePath(), "dump"}), 1);
    EXPECT_TRUE(err.contains(QStringLiteral("--port %1 (%2) and --port %2 are the same device")
                                 .arg(bare, sim->devicePath())))
        << err.toStdString();
    EXPECT_EQ(cli({"--port", bare + "-gone", "position"}), 2);
    EXPECT_TRUE(err.contains(
        QStringLiteral("%1-gone (%2-gone): the port can't be opened").arg(bare, sim->devicePath())))
        << err.toStdString();
}

// The smaller truths: a port that is no serial device, scan's statuses, a
// port named once, a long key cut, an exponent in a file.
TEST_F(Program, portsAndFilesAreNamedAsTheyAre) {
    Simulator silent({"--drop", "1"});
    ComMapping com19(19, "/dev/stepdrive-nothing-here");
    const QString longKey(1 << 20, 'k');
    const struct {
        QStringList arguments;
        int status;
        const char* said;
    } cases[] = {
        {{"--port", "/dev/null", "position"},
         2,
         "stepdrive-cli: /dev/null: the port can't be opened: not a serial device\n"},
        {{"--port", "COM19", "position"},
         2,
         "stepdrive-cli: COM19 (/dev/stepdrive-nothing-here): the port can't be opened: no such "
         "device\n"},
        {{"--timeout", "0.3", "--port", silent.devicePath(), "scan"}, 4, ""},
        {{"--port", "COM19", "scan"}, 2, ""},
        {{"--port", silent.devicePath(), "apply",
          files.with(R"({"belt": {"acceleration": 1e3, "speed": 1, "deceleration": 1,
                         "final_speed": 1}})")},
         1,
         "belt.acceleration: 1e3 is refused"},
        {{"--port", silent.devicePath(), "apply",
          files.with("{\"motor\": {\"" + longKey.toUtf8() + "\": 1}}")},
         1,
         "kkk...: unknown key"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(cli(c.arguments), c.status) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(err.contains(c.said)) << err.toStdString();
        EXPECT_LT(err.size(), 1000);
    }
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
    // The program has ended: the simulator's log of its requests is complete
    // once it holds the second.
    EXPECT_TRUE(QTest::qWaitFor([&] { return silent.receivedAt("").size() >= 2; }, kWaitMs));
    EXPECT_EQ(silent.receivedAt("AA 00 06 08").size(), 2u) << "one request a scan";
    EXPECT_EQ(silent.receivedAt("").size(), 2u);
}

// A drive behind ser2net, raw and RFC 2217: a home offset of -1 (FF FF FF FF)
// and a table speed of 3328 (0D 00) go down and come back unchanged, and
// scan finds the driver at the address.
TEST_F(Program, aDriveBehindADeviceServerIsSetUpVerifiedDumpedAndFound) {
    const QByteArray motor = R"({"run_current": 25, "stop_current": 13, "run_speed": 1200,
        "acceleration": 40, "homing_speed": 700, "home_offset": -1, "resolution": 4})";
    const QByteArray table = R"([{"position": -1, "velocity": 3328, "acceleration": 13},
        {"position": 255, "velocity": 1, "acceleration": 0}, {"position": 0, "velocity": 0,
        "acceleration": 0}, {"position": 0, "velocity": 0, "acceleration": 0}, {"position": 0,
        "velocity": 0, "acceleration": 0}, {"position": 0, "velocity": 0, "acceleration": 0},
        {"position": 0, "velocity": 0, "acceleration": 0}])";
    const QString profile = files.with("{\"motor\": " + motor + ", \"table\": " + table + "}");
    for (const Ser2net::Mode mode : {Ser2net::Mode::Raw, Ser2net::Mode::Rfc2217}) {
        Simulator driver({"--verbose"});
        Ser2net server(mode, driver.devicePath());
        ASSERT_TRUE(server.listening());
        const QStringList port{"--port", server.address()};
        SCOPED_TRACE(server.address().toStdString());

        ASSERT_EQ(cli(port + QStringList{"apply", profile}), 0) << err.toStdString();
        ASSERT_EQ(cli(port + QStringList{"verify", profile}), 0) << err.toStdString();
        ASSERT_EQ(cli(port + QStringList{"dump"}), 0) << err.toStdString();
        const QJsonObject dumped = QJsonDocument::fromJson(out.toUtf8()).object();
        EXPECT_EQ(dumped["motor"], QJsonDocument::fromJson(motor).object()) << out.toStdString();
        EXPECT_EQ(dumped["table"], QJsonDocument::fromJson(table).array()) << out.toStdString();
        EXPECT_EQ(dumped["about"]["port"], server.address()) << out.toStdString();

        ASSERT_EQ(cli(port + QStringList{"scan"}), 0) << err.toStdString();
        EXPECT_EQ(out, server.address() + ": driver, position=0\n");

        // The driver read the bytes as they were sent: neither doubled nor
        // dropped. Its log is complete once it holds the scan's request.
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return driver.receivedAt("AA 00 06 08").size() == 1; }, kWaitMs));
        const QStringList frames = driver.received();
        for (const char* frame :
             {"AA 00 05 09 FF FF FF FF EE", "CC 00 0E 01 0D 00 00 0D FF FF FF EE"})
            EXPECT_EQ(frames.filter(QRegularExpression(QString("^") + frame)).size(), 1)
                << frames.join('\n').toStdString();
        // The pauses hold on the far line: writes 150 ms apart, reads 100.
        std::vector<double> writes = driver.receivedAt("AA 00 05");
        const std::vector<double> rows = driver.receivedAt("CC 00 0E");
        writes.insert(writes.end(), rows.begin(), rows.end());
        ASSERT_EQ(writes.size(), 14u);
        expectApart(writes, 150.0, "write");
        expectApart(driver.receivedAt("AA 00 06"), 100.0, "motor read");
        expectApart(driver.receivedAt("CC 00 0F"), 100.0, "table read");
    }
}

// monitor's times are measured: with each reply held 70 ms, the rows come
// as far apart as the requests on the simulator's line, the position over
// time_ms agrees with the speed, and --duration is seconds. It ends soon
// after its output pipe closes, and with exit status 0 on Ctrl-C.
// A device server's port of the other kind is said and gets nothing: a
// tcp:// name on an RFC 2217 port is refused before the move goes out, and
// an rfc2217:// name on a raw port puts no telnet on the drive's line.
TEST_F(Program, aDeviceServerPortOfTheOtherKindIsSaidAndGetsNothing) {
    const struct {
        Ser2net::Mode mode;
        const char* wrong;
        const char* right;
        int status;
        const char* said;
    } cases[] = {
        {Ser2net::Mode::Rfc2217, "tcp://", "rfc2217://", 2,
         "this port speaks RFC 2217: use rfc2217://"},
        {Ser2net::Mode::Raw, "rfc2217://", "tcp://", 2, "does not speak RFC 2217 (no telnet"},
    };
    for (const auto& c : cases) {
        Simulator driver({"--verbose"});
        Ser2net server(c.mode, driver.devicePath());
        ASSERT_TRUE(server.listening());
        const QString hostPort = server.address().section("://", 1);
        EXPECT_EQ(cli({"--port", c.wrong + hostPort, "move", "abs", "12345"}), c.status)
            << err.toStdString();
        EXPECT_TRUE(err.contains(c.said)) << err.toStdString();
        // What reached the drive's line is in order: the request sent after
        // is the first thing it got.
        ASSERT_EQ(cli({"--port", c.right + hostPort, "position"}), 0) << err.toStdString();
        EXPECT_EQ(out, "position=0\n");
        ASSERT_TRUE(QTest::qWaitFor([&] { return !driver.received().isEmpty(); }, kWaitMs));
        EXPECT_EQ(driver.received().size(), 1) << driver.log().toStdString();
        EXPECT_FALSE(driver.log().contains("skipped")) << driver.log().toStdString();
    }
}

TEST_F(Program, monitorTimesItsRowsByTheRepliesAndEndsWithItsPipeOrCtrlC) {
    sim = std::make_unique<Simulator>(QStringList{"--verbose", "--delay-ms", "70"});
    ASSERT_EQ(cli({"jog", "right", "10"}), 0) << err.toStdString(); // 1000 pulses/s
    ASSERT_EQ(cli({"monitor", "--interval", "50", "--duration", "2", "--csv"}), 0)
        << err.toStdString();
    QStringList rows = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_GE(rows.size(), 3);
    EXPECT_EQ(rows.takeFirst(), "time_ms,position,speed,running,home_sensor,in1,in2,in3,in4,in5,"
                                "in6,in7,in8");
    // The first row is timed when its reply came, not when it was due.
    EXPECT_GE(rows[0].section(',', 0, 0).toInt(), 70) << rows[0].toStdString();
    const std::vector<double> asked = received("AA 00 06 08", std::size_t(rows.size()));
    ASSERT_EQ(asked.size(), std::size_t(rows.size()));
    // About 2 s, not the rows' count times the interval plus the replies'
    // time; the margins are for a loaded machine, whose hiccups show in one
    // step but not in the middle one.
    EXPECT_GT(asked.back() - asked.front(), 1500.0) << "about 2 s";
    EXPECT_LT(asked.back() - asked.front(), 2500.0) << "about 2 s";
    std::vector<double> off, rates, speeds;
    for (qsizetype i = 1; i < rows.size(); ++i) {
        const QStringList now = rows[i].split(','), before = rows[i - 1].split(',');
        const double ms = now[0].toDouble() - before[0].toDouble();
        off.push_back(std::abs(ms - (asked[std::size_t(i)] - asked[std::size_t(i - 1)])));
        rates.push_back((now[1].toDouble() - before[1].toDouble()) / ms * 1000);
        speeds.push_back(now[2].toDouble());
    }
    const auto middle = [](std::vector<double> v) {
        std::nth_element(v.begin(), v.begin() + std::ptrdiff_t(v.size() / 2), v.end());
        return v[v.size() / 2];
    };
    EXPECT_LE(middle(off), 20.0) << "time_ms steps against the requests' spacing";
    EXPECT_NEAR(middle(rates), 1000.0, 100.0) << "position over time_ms";
    EXPECT_NEAR(middle(speeds), 1000.0, 100.0) << "the speed column";
    ASSERT_EQ(cli({"stop"}), 0) << err.toStdString();

    // Two ports, one behind a link named with a comma: a port column, quoted.
    Simulator other;
    QTemporaryDir dir;
    const QString comma = dir.filePath("drive,2");
    ASSERT_TRUE(QFile::link(other.devicePath(), comma));
    ASSERT_EQ(cli({"--port", sim->devicePath(), "--port", comma, "monitor", "--duration", "0.3",
                   "--csv"}),
              0)
        << err.toStdString();
    EXPECT_TRUE(out.startsWith("port,time_ms,position,")) << out.toStdString();
    EXPECT_TRUE(out.contains("\n\"" + comma + "\",")) << out.toStdString();
    EXPECT_TRUE(out.contains("\n" + sim->devicePath() + ",")) << out.toStdString();

    // A closed pipe: at 100 ms an interval, ten seconds would be a hundred
    // requests.
    Simulator piped({"--verbose"});
    QProcess process;
    process.start("bash", {"-c", "set -o pipefail; \"$0\" \"$@\" | head -n1",
                           QStringLiteral(STEPDRIVE_CLI_PATH), "--port", piped.devicePath(),
                           "monitor", "--duration", "10"});
    EXPECT_EQ(finish(process), 6) << err.toStdString();
    EXPECT_TRUE(out.startsWith("time_ms=")) << out.toStdString();
    EXPECT_TRUE(err.contains("standard output could not be written: Broken pipe"))
        << err.toStdString();
    EXPECT_LE(piped.receivedAt("AA 00 06 08").size(), 10u);

    // Ctrl-C ends it after the update under way, with exit status 0.
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

// monitor rides a replug of an adapter it knows by its stable name: the
// line lost, the name back on another device, it reopens the line, sends
// nothing but its requests, and goes on sampling after a gap.
TEST_F(Program, monitorRidesAReplugOfTheAdapterItKnowsByItsStableName) {
    startSimulator();
    QTemporaryDir byId;
    const QString name = byId.filePath("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");
    ASSERT_TRUE(QFile::link(sim->devicePath(), name));
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("STEPDRIVE_SERIAL_BY_ID", byId.path());
    process.setProcessEnvironment(env);
    process.start(QStringLiteral(STEPDRIVE_CLI_PATH),
                  {"--port", name, "monitor", "--csv", "--duration", "5"});
    QString before, said; // the output and the messages so far
    const auto comes = [&](const auto& done) {
        return QTest::qWaitFor(
            [&] {
                process.waitForReadyRead(50);
                before += QString::fromUtf8(process.readAllStandardOutput());
                said += QString::fromUtf8(process.readAllStandardError());
                return done();
            },
            kWaitMs);
    };
    ASSERT_TRUE(comes([&] { return before.count('\n') >= 3; })) << before.toStdString();

    // The adapter is pulled, and comes back as another device.
    QFile::remove(name);
    EXPECT_TRUE(sim->stop());
    const QString lost = "stepdrive-cli: " + name + ": the line was lost; waiting for " +
                         QFileInfo(name).fileName() + " to come back\n";
    ASSERT_TRUE(comes([&] { return said.contains(lost); })) << said.toStdString();
    startSimulator();
    ASSERT_TRUE(QFile::link(sim->devicePath(), name));

    ASSERT_EQ(finish(process), 0) << (said + err).toStdString();
    EXPECT_EQ(said + err, lost + "stepdrive-cli: " + name + ": the line is back on " +
                              sim->devicePath() + "\n");
    QStringList rows = (before + out).split('\n', Qt::SkipEmptyParts);
    rows.removeFirst(); // the header
    // Time goes on across the gap, the longest step, with no row in it: it
    // holds the adapter's settling.
    const auto msOf = [](const QString& row) { return row.section(',', 0, 0).toLongLong(); };
    qsizetype gap = 1;
    for (qsizetype i = 1; i < rows.size(); ++i) {
        EXPECT_GT(msOf(rows[i]), msOf(rows[i - 1])) << rows[i].toStdString();
        if (msOf(rows[i]) - msOf(rows[i - 1]) > msOf(rows[gap]) - msOf(rows[gap - 1]))
            gap = i;
    }
    EXPECT_GE(msOf(rows[gap]) - msOf(rows[gap - 1]), 300) << (before + out).toStdString();
    EXPECT_GE(gap, 2);
    EXPECT_GE(rows.size() - gap, 3);
    // Each row after the gap is one the new drive answered; nothing but the
    // sampling's requests went to it.
    const auto answered = static_cast<std::size_t>(rows.size() - gap);
    EXPECT_EQ(received("AA 00 06 08", answered).size(), answered);
    const QStringList got = sim->received();
    EXPECT_EQ(got.filter(QRegularExpression("^AA 00 (06 08|0C 01)")).size(), got.size())
        << got.join('\n').toStdString();
    EXPECT_TRUE(got.value(0).startsWith("AA 00 06 08")) << got.value(0).toStdString();
}
