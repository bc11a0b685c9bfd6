// --simulator: COM4 is stepdrive-sim on a TCP port of this machine while the
// program runs, and ends with it; a simulator that is not there is said.

#include "app/com_simulator.h"
#include "link/comm_control.h"
#include "link/line.h"
#include "tests/support/fakes.h"
#include "tests/support/simulator.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <gtest/gtest.h>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {
bool opens(const QString& address) {
    const auto line =
        makeLine(address, {[](const QByteArray&) {}, [](const DeviceFault&) {}}, kWaitMs);
    DeviceFault fault;
    return line->open(address, LineSettings{}, &fault);
}

QByteArray procFile(qint64 pid, const char* name) {
    QFile file(QStringLiteral("/proc/%1/%2").arg(pid).arg(QLatin1String(name)));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
} // namespace

TEST(ComSimulator, isCom4WhileItLivesAndSaysWhyItDoesNotStart) {
    const QByteArray before = qgetenv("STEPDRIVE_COM4");
    RecordingMessenger messages;
    QString address;
    {
        ComSimulator simulator;
        ASSERT_TRUE(simulator.startAsCom4(QFileInfo(simulatorProgram()).absolutePath(), messages));
        address = qEnvironmentVariable("STEPDRIVE_COM4");
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^tcp://127\\.0\\.0\\.1:[1-9][0-9]*$"))
                        .match(address)
                        .hasMatch())
            << address.toStdString();
        EXPECT_TRUE(opens(address));
    }
    EXPECT_FALSE(opens(address));
    EXPECT_TRUE(messages.shown.isEmpty());

    ComSimulator missing;
    EXPECT_FALSE(missing.startAsCom4(QStringLiteral("/nonexistent"), messages));
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].contains(QLatin1String("stepdrive-sim is not in /nonexistent")));
    qputenv("STEPDRIVE_COM4", before);
}

// Killed, the program takes its simulator with it: none is left running.
TEST(ComSimulator, endsWhenTheProgramIsKilled) {
    QTemporaryDir settings;
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), settings.path());
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(STEPDRIVE_APP_PATH), {QStringLiteral("--simulator")});
    ASSERT_TRUE(program.waitForStarted());
    const QByteArray children =
        QByteArray("task/") + QByteArray::number(program.processId()) + "/children";
    QByteArray simulator;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return !(simulator = procFile(program.processId(), children).trimmed()).isEmpty(); },
        kWaitMs));
    ::kill(static_cast<pid_t>(program.processId()), SIGKILL);
    program.waitForFinished();
    // Gone, or ended and not yet collected by whoever took it over.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            const QByteArray stat = procFile(simulator.toLongLong(), "stat");
            return stat.isEmpty() || stat.contains(") Z ");
        },
        kWaitMs))
        << procFile(simulator.toLongLong(), "cmdline").constData();
}
