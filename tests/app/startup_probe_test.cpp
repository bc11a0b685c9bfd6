// The start-up probe scripts/bench times the program with: a window is
// reported once, after it was painted, and the shipped program reports and
// ends only when it is asked to.

#include "app/first_shown.h"
#include "tests/support/fakes.h"
#include "tests/support/simulator.h"

#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

class PaintCounter : public QWidget {
public:
    int paints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++paints; }
};

// The shipped program, offscreen, with every COM number on a device that is
// not there, so that its dialog's probe touches no real port.
void startProgram(QProcess& app, bool probe) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (int n = 1; n <= 10; ++n)
        env.insert(QStringLiteral("STEPDRIVE_COM%1").arg(n), QStringLiteral("/nonexistent/com"));
    env.remove(QString::fromLatin1(kStartupProbeVariable));
    if (probe)
        env.insert(QString::fromLatin1(kStartupProbeVariable), QStringLiteral("1"));
    app.setProcessEnvironment(env);
    app.start(QStringLiteral(STEPDRIVE_APP_PATH), {});
}

} // namespace

TEST(FirstShown, reportsTheWatchedWindowOnceAfterItWasPainted) {
    PaintCounter other;
    PaintCounter window;
    std::vector<int> paintsWhenReported;
    FirstShown probe(window, [&] { paintsWhenReported.push_back(window.paints); });

    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&other));
    EXPECT_TRUE(paintsWhenReported.empty());

    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !paintsWhenReported.empty(); }, kWaitMs));
    const int paintedOnce = window.paints;
    window.hide();
    window.show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window.paints > paintedOnce; }, kWaitMs));
    pumpEvents();
    ASSERT_EQ(paintsWhenReported.size(), 1u);
    EXPECT_GE(paintsWhenReported[0], 1);
}

TEST(StartupProbe, theProgramReportsItsMainPanelShownAndEndsOnlyWhenAsked) {
    QProcess probed;
    const double before = steadyClockMs();
    startProgram(probed, true);
    ASSERT_TRUE(probed.waitForFinished(30000));
    EXPECT_EQ(probed.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(probed.exitCode(), 0);
    const QString out = QString::fromLocal8Bit(probed.readAllStandardOutput());
    const auto match = QRegularExpression(QStringLiteral("^shown (\\d+\\.\\d{3})\\n$")).match(out);
    ASSERT_TRUE(match.hasMatch()) << out.toStdString();
    EXPECT_GE(match.captured(1).toDouble(), before); // the steady clock, in ms

    // Without the variable it waits for the operator, and prints nothing.
    QProcess shipped;
    startProgram(shipped, false);
    ASSERT_TRUE(shipped.waitForStarted(kWaitMs));
    EXPECT_FALSE(shipped.waitForFinished(1000));
    EXPECT_EQ(shipped.state(), QProcess::Running);
    shipped.kill();
    shipped.waitForFinished(kWaitMs);
    EXPECT_TRUE(shipped.readAllStandardOutput().isEmpty());
}
