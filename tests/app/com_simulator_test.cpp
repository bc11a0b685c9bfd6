// --simulator: COM4 is stepdrive-sim on a TCP port of this machine while the
// program runs, and ends with it; a simulator that is not there is said.

#include "app/com_simulator.h"
#include "link/comm_control.h"
#include "link/line.h"
#include "tests/support/fakes.h"
#include "tests/support/simulator.h"

#include <QFileInfo>
#include <QRegularExpression>
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
