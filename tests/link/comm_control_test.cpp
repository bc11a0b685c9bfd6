#include "core/frame.h"
#include "link/comm_control.h"
#include "link/pause.h"
#include "link/port_names.h"
#include "link/serial_line.h"
#include "link/system_ports.h"
#include "tests/support/fakes.h"
#include "tests/support/pty.h"

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

PortFailure failureAt(const QSignalSpy& spy, int i) {
    return spy.at(i).at(0).value<PortFailure>();
}

struct SerialOnPty : ::testing::Test {
    Pty pty;
    BlockingPause pause;
    CommControl msc{QStringLiteral("MSC"), &pause.gate()};
    std::unique_ptr<QSignalSpy> failures;
    ComMapping com7{7, pty.slavePath()};

    void SetUp() override {
        ASSERT_TRUE(pty.ok());
        failures = std::make_unique<QSignalSpy>(&msc, &CommControl::failed);
        msc.setCommPort(7);
        msc.setSettings(QStringLiteral("19200,N,8,1"));
        msc.setInputLen(1);
        msc.setRThreshold(10);
    }
};

QByteArray bytes(const Bytes& b) {
    return QByteArray(reinterpret_cast<const char*>(b.data()), int(b.size()));
}

} // namespace

TEST_F(SerialOnPty, blockArrivesWholeAndReplyRaisesOneEvent) {
    ASSERT_TRUE(msc.setPortOpen(true));
    QSignalSpy events(&msc, &CommControl::OnComm);
    ASSERT_TRUE(msc.Output(bytes(commandBlock(Format::Short, {7, 1}))));
    // On the line before Output returns: the pauses between frames are
    // pauses on the wire.
    EXPECT_EQ(hexOf(pty.readNow()), "AA 00 07 01 00 00 00 00 EE 08 00 00");

    pty.write(fromHex("BB 00 07 64 00 00"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return msc.InBufferCount() == 6; }, 2000));
    pumpEvents();
    EXPECT_EQ(events.count(), 0);
    pty.write(fromHex("00 00 EE 0C"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return events.count() > 0; }, 2000));
    EXPECT_EQ(events.count(), 1);
    EXPECT_EQ(msc.InBufferCount(), 10);
    EXPECT_EQ(msc.Input(), QByteArray(1, char(0xBB)));
    EXPECT_EQ(msc.InBufferCount(), 9);
    msc.setInBufferCount(0);
    EXPECT_EQ(msc.InBufferCount(), 0);
    EXPECT_EQ(failures->count(), 0);
}

TEST_F(SerialOnPty, aLongBurstIsTakenByteByByteInOrder) {
    ASSERT_TRUE(msc.setPortOpen(true));
    msc.setRThreshold(0);
    QByteArray burst(20000, '\0');
    for (int i = 0; i < burst.size(); ++i)
        burst[i] = static_cast<char>(i * 13 + i / 256);
    // In pieces the line's buffer holds, each read off before the next.
    for (int at = 0; at < burst.size(); at += 1000) {
        pty.write(burst.mid(at, 1000));
        ASSERT_TRUE(QTest::qWaitFor([&] { return msc.InBufferCount() == at + 1000; }, 3000));
    }
    QByteArray taken;
    for (int i = 0; i < 12000; ++i)
        taken += msc.Input();
    pty.write(fromHex("BB EE"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return msc.InBufferCount() == 8002; }, 3000));
    while (msc.InBufferCount() > 0)
        taken += msc.Input();
    EXPECT_EQ(taken, burst + fromHex("BB EE"));
}

TEST_F(SerialOnPty, secondOpenOfTheSameDeviceFailsAndIsReported) {
    ASSERT_TRUE(msc.setPortOpen(true));
    CommControl other(QStringLiteral("MSC1"), &pause.gate());
    QSignalSpy otherFailures(&other, &CommControl::failed);
    other.setCommPort(7);
    other.setSettings(QStringLiteral("19200,N,8,1"));
    EXPECT_FALSE(other.setPortOpen(true));
    EXPECT_FALSE(other.PortOpen());
    ASSERT_EQ(otherFailures.count(), 1);
    const PortFailure f = failureAt(otherFailures, 0);
    EXPECT_EQ(f.kind, PortFailure::Kind::OpenRefused);
    EXPECT_EQ(f.cause, PortFailure::Cause::InUse);
    EXPECT_EQ(f.port, QStringLiteral("COM7 (%1)").arg(pty.slavePath()));

    // Another program's flock on the device holds it as well.
    msc.setPortOpen(false);
    const int held = ::open(QFile::encodeName(pty.slavePath()).constData(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    EXPECT_FALSE(other.setPortOpen(true));
    ASSERT_EQ(otherFailures.count(), 2);
    EXPECT_EQ(failureAt(otherFailures, 1).cause, PortFailure::Cause::InUse);
    ::close(held);
    EXPECT_TRUE(other.setPortOpen(true));
}

// Why a device did not open, from Qt's error and what the system allows.
TEST(OpenFailure, theCauseFromTheErrorAndTheAccess) {
    using Cause = PortFailure::Cause;
    const struct {
        QSerialPort::SerialPortError error;
        sys::DeviceAccess access;
        Cause cause;
    } cases[] = {
        {QSerialPort::PermissionError, sys::DeviceAccess::ReadWrite, Cause::InUse},
        {QSerialPort::PermissionError, sys::DeviceAccess::Refused, Cause::NotPermitted},
        {QSerialPort::PermissionError, sys::DeviceAccess::Missing, Cause::NoDevice},
        {QSerialPort::DeviceNotFoundError, sys::DeviceAccess::ReadWrite, Cause::NoDevice},
        {QSerialPort::UnknownError, sys::DeviceAccess::ReadWrite, Cause::System},
    };
    for (const auto& c : cases) {
        const DeviceFault f = openFailure(c.error, c.access, QStringLiteral("Input/output error"));
        EXPECT_EQ(f.cause, c.cause) << static_cast<int>(c.cause);
        EXPECT_EQ(f.systemText, "Input/output error");
    }
    EXPECT_EQ(sys::deviceAccess(QStringLiteral("/dev/stepdrive-none")), sys::DeviceAccess::Missing);
}

// The port box's text: COM n, a device, or no port.
TEST(PortChoice, readsWhatTheOperatorTyped) {
    const struct {
        const char* typed;
        int com;
        const char* device;
    } cases[] = {
        {"COM4", 4, ""},
        {"com11", 11, ""},
        {" 12 ", 12, ""},
        {"COM0", 0, ""},
        {"com 7", 7, ""},
        {"COM", 0, "COM"},
        {"COM123456", 0, "COM123456"},
        {"COM4x", 0, "COM4x"},
        {"", 0, ""},
        {"/dev/ttyUSB0", 0, "/dev/ttyUSB0"},
        {"/dev/pts/5", 0, "/dev/pts/5"},
        {"\\\\.\\COM12", 0, "\\\\.\\COM12"},
    };
    for (const auto& c : cases) {
        const PortChoice choice = parsePortChoice(QString::fromLatin1(c.typed));
        EXPECT_EQ(choice.com, c.com) << c.typed;
        EXPECT_EQ(choice.device, QString::fromLatin1(c.device)) << c.typed;
    }
    EXPECT_EQ(parsePortChoice(QStringLiteral("12")).text(), "COM12");

    // A typed name is resolved once: what opens is what is compared and
    // named.
    const QString here = QDir::currentPath();
    const struct {
        const char* typed;
        QString path;
        QString label;
    } named[] = {
        {"ttyS0", "/dev/ttyS0", "ttyS0 (/dev/ttyS0)"},
        {"pts/3", "/dev/pts/3", "pts/3 (/dev/pts/3)"},
        {"./ttyS0", here + "/ttyS0", "./ttyS0 (" + here + "/ttyS0)"},
        {"/dev/ttyUSB0", "/dev/ttyUSB0", "/dev/ttyUSB0"},
        {"tcp://[::1]:4001", "tcp://[::1]:4001", "tcp://[::1]:4001"},
    };
    for (const auto& n : named) {
        const PortChoice choice = parsePortChoice(QString::fromLatin1(n.typed));
        EXPECT_EQ(choice.path(), n.path) << n.typed;
        EXPECT_EQ(choice.label(), n.label) << n.typed;
    }
}

TEST_F(SerialOnPty, pulledCableIsReportedOnceAndThePortReadsClosed) {
    ASSERT_TRUE(msc.setPortOpen(true));
    pty.closeMaster();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !msc.PortOpen(); }, 3000));
    pumpEvents();
    EXPECT_EQ(failures->count(), 1);
    // Writing afterwards is refused with a reason, and nothing crashes.
    EXPECT_FALSE(msc.Output(bytes(commandBlock(Format::Short, {3, 0}))));
    EXPECT_EQ(failures->count(), 2);
}

TEST_F(SerialOnPty, aCablePulledJustBeforeASendIsReportedOnce) {
    ASSERT_TRUE(msc.setPortOpen(true));
    pty.closeMaster();
    EXPECT_FALSE(msc.Output(bytes(commandBlock(Format::Short, {7, 1}))));
    pumpEvents();
    ASSERT_EQ(failures->count(), 1);
    EXPECT_EQ(failureAt(*failures, 0).kind, PortFailure::Kind::Lost);
    EXPECT_FALSE(msc.PortOpen());
}

TEST_F(SerialOnPty, theWireLogShowsFramesOutAndBytesIn) {
    static QStringList logged;
    logged.clear();
    QLoggingCategory::setFilterRules(QStringLiteral("stepdrive.link.debug=true"));
    const auto previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext& context, const QString& text) {
            if (QByteArray(context.category) == "stepdrive.link")
                logged << text;
        });
    ASSERT_TRUE(msc.setPortOpen(true));
    msc.Output(bytes(commandBlock(Format::Short, {7, 1})));
    pty.write(fromHex("BB 00 07 64 00 00 00 00 EE 0C"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return msc.InBufferCount() == 10; }, 2000));
    qInstallMessageHandler(previous);
    QLoggingCategory::setFilterRules(QString());

    const QString all = logged.join('\n');
    EXPECT_TRUE(all.contains("MSC out AA 00 07 01 00 00 00 00 EE 08 00 00")) << all.toStdString();
    EXPECT_TRUE(all.contains("MSC in BB 00 07 64 00 00 00 00 EE 0C")) << all.toStdString();
    // Each line starts with its time.
    EXPECT_TRUE(
        QRegularExpression("^\\d\\d:\\d\\d:\\d\\d\\.\\d{3} MSC").match(logged.value(0)).hasMatch())
        << all.toStdString();
}

TEST_F(SerialOnPty, unusablePortNumberOrSettingsFailWithAReason) {
    msc.setCommPort(0);
    EXPECT_FALSE(msc.setPortOpen(true));
    msc.setCommPort(7);
    msc.setSettings(QStringLiteral("low_speed6000,N,8,1"));
    EXPECT_FALSE(msc.setPortOpen(true));
    ASSERT_EQ(failures->count(), 2);
    EXPECT_EQ(failureAt(*failures, 0).kind, PortFailure::Kind::NoPortNumber);
    EXPECT_EQ(failureAt(*failures, 0).port, "COM0");
    const PortFailure settings = failureAt(*failures, 1);
    EXPECT_EQ(settings.kind, PortFailure::Kind::BadSettings);
    EXPECT_EQ(settings.settings.part, LineSettingsFault::Part::Baud);
    EXPECT_EQ(settings.settings.value, "low_speed6000");
    EXPECT_FALSE(msc.PortOpen());

    com7.pointAt("/dev/does-not-exist");
    msc.setSettings(QStringLiteral("19200,N,8,1"));
    EXPECT_FALSE(msc.setPortOpen(true));
    EXPECT_EQ(failureAt(*failures, 2).port, "COM7 (/dev/does-not-exist)");
    EXPECT_EQ(failureAt(*failures, 2).cause, PortFailure::Cause::NoDevice);
}

TEST_F(SerialOnPty, noReceiveEventWhileAPauseRunsAndTheHeldOneFollows) {
    ASSERT_TRUE(msc.setPortOpen(true));
    QSignalSpy events(&msc, &CommControl::OnComm);
    QTimer::singleShot(20, [&] { pty.write(fromHex("BB 00 07 64 00 00 00 00 EE 0C")); });
    pause.sleep(300);
    EXPECT_EQ(events.count(), 0);
    EXPECT_EQ(msc.InBufferCount(), 10); // the reply arrived meanwhile
    EXPECT_TRUE(QTest::qWaitFor([&] { return events.count() > 0; }, 1000));
    EXPECT_EQ(events.count(), 1);
}

// One device under two names is one port: the command line refuses it
// twice and the port list offers it once.
TEST(SameDevice, namesOfOneDeviceOrAddressAreOne) {
    Pty first, second;
    QTemporaryDir dir;
    const QString link = dir.filePath("link");
    ASSERT_TRUE(QFile::link(first.slavePath(), link));
    // A copy of the first device's node, where the tests run as root.
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(first.slavePath()).constData(), &st), 0);
    const QString copy = dir.filePath("copy");
    const bool copied =
        ::mknod(QFile::encodeName(copy).constData(), S_IFCHR | 0600, st.st_rdev) == 0;
    const struct {
        QString a, b;
        bool same;
    } cases[] = {
        {first.slavePath(), link, true},
        {first.slavePath(), second.slavePath(), false},
        {link, second.slavePath(), false},
        {"tcp://localhost:4001", "tcp://127.0.0.1:4001", true},
        {"tcp://127.0.0.1:4001", "rfc2217://127.0.0.1:4001", true},
        {"tcp://[::1]:4001", "rfc2217://[0:0::1]:4001", true},
        {"tcp://127.0.0.1:4001", "tcp://127.0.0.1:4002", false},
        {"tcp://127.0.0.2:4001", "tcp://127.0.0.1:4001", false},
        {"tcp://127.0.0.1:4001", first.slavePath(), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(sameDevice(c.a, c.b), c.same) << c.a.toStdString() << " " << c.b.toStdString();
    if (copied) {
        EXPECT_TRUE(sameDevice(copy, link));
    }
    // A device's name in a folder of links, as /dev/serial/by-id holds them.
    EXPECT_EQ(linkIn(dir.path(), first.slavePath()), link);
    EXPECT_EQ(linkIn(dir.path(), second.slavePath()), QString());
}
