// An adapter known by its stable name, found again under another device:
// pseudo-terminals stand for the devices, a temporary folder for
// /dev/serial/by-id.

#include "link/adapter.h"
#include "link/system_ports.h"
#include "tests/support/pty.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

const QString kName = QStringLiteral("usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0");

struct StableNames : ::testing::Test {
    QTemporaryDir folder;
    QByteArray before = qgetenv("STEPDRIVE_SERIAL_BY_ID");
    Pty first, second;

    void SetUp() override {
        ASSERT_TRUE(folder.isValid() && first.ok() && second.ok());
        qputenv("STEPDRIVE_SERIAL_BY_ID", QFile::encodeName(folder.path()));
    }
    void TearDown() override { qputenv("STEPDRIVE_SERIAL_BY_ID", before); }

    QString stableName() const { return folder.filePath(kName); }
    // The stable name now points at `device`, as after a replug; nowhere
    // when it is empty.
    void pointAt(const QString& device) {
        QFile::remove(stableName());
        if (!device.isEmpty()) {
            ASSERT_TRUE(QFile::link(device, stableName()));
        }
    }
};

} // namespace

TEST_F(StableNames, anAdapterIsKnownByItsStableNameAndItsDeviceAlike) {
    pointAt(first.slavePath());
    const struct {
        QString device;
        const char* byId; // nullptr: none known
    } cases[] = {
        {stableName(), "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"},
        {first.slavePath(), "usb-FTDI_FT232R_USB_UART_A50285BI-if00-port0"},
        // A stable name typed while its adapter is away still names it.
        {folder.filePath("usb-away"), "usb-away"},
        {second.slavePath(), nullptr},
        {"/dev/stepdrive-none", nullptr},
        {"tcp://127.0.0.1:4001", nullptr},
        {"", nullptr},
    };
    for (const auto& c : cases) {
        const auto a = adapterOf(c.device);
        ASSERT_EQ(a.has_value(), c.byId != nullptr) << c.device.toStdString();
        if (a) {
            EXPECT_EQ(a->byId, c.byId);
            EXPECT_EQ(a->text(), c.byId) << "the system says nothing more";
        }
    }
}

TEST(AdapterIdentity, itsTextItsPortsAndItsKeptForm) {
    const AdapterIdentity ftdi{kName, "FTDI", "FT232R USB UART", "A50285BI"};
    EXPECT_EQ(ftdi.text(), "FTDI FT232R USB UART (A50285BI)");
    EXPECT_EQ(AdapterIdentity::fromString(ftdi.toString()), ftdi);
    const AdapterIdentity bySerial{{}, "FTDI", {}, "A5"};
    EXPECT_EQ(AdapterIdentity::fromString(bySerial.toString()), bySerial);
    for (const char* kept : {"", "{}", "not kept", "{\"product\":\"FT232R\"}"})
        EXPECT_FALSE(AdapterIdentity::fromString(kept)) << kept;

    const struct {
        SystemPort port;
        bool same;
    } ports[] = {
        {{"/dev/ttyUSB1", "FTDI", "FT232R USB UART", "A50285BI", {}}, true},
        {{"/dev/ttyUSB1", "FTDI", "FT232R USB UART", "A50285BJ", {}}, false},
        {{"/dev/ttyUSB1", "FTDI", "FT231X USB UART", "A50285BI", {}}, false},
        {{"/dev/ttyUSB1", "Prolific", "FT232R USB UART", "A50285BI", {}}, false},
    };
    for (const auto& p : ports)
        EXPECT_EQ(ftdi.isPort(p.port), p.same) << p.port.serial.toStdString();
    // Without a serial number, two adapters of one kind are not told apart.
    const AdapterIdentity noSerial{kName, "FTDI", "FT232R USB UART", {}};
    EXPECT_FALSE(noSerial.isPort({"/dev/ttyUSB1", "FTDI", "FT232R USB UART", {}, {}}));
}

TEST_F(StableNames, whereIsFollowsTheStableNameToItsDeviceOfTheMoment) {
    pointAt(first.slavePath());
    const AdapterIdentity a = *adapterOf(stableName());
    EXPECT_EQ(whereIs(a), first.slavePath());
    pointAt({});
    EXPECT_EQ(whereIs(a), QString());
    pointAt(second.slavePath());
    EXPECT_EQ(whereIs(a), second.slavePath());
    pointAt("/dev/stepdrive-none"); // a link left behind by a device gone
    EXPECT_EQ(whereIs(a), QString());
}

TEST_F(StableNames, theWatchSaysOnceThatTheAdapterIsBackWithItsNewDevice) {
    pointAt(first.slavePath());
    const AdapterIdentity a = *adapterOf(first.slavePath());
    pointAt({});
    AdapterWatch watch;
    QSignalSpy back(&watch, &AdapterWatch::back);
    watch.watch(a);
    QTest::qWait(2 * AdapterWatch::kPollMs);
    EXPECT_EQ(back.count(), 0) << "the adapter is away";
    pointAt(second.slavePath());
    ASSERT_TRUE(QTest::qWaitFor([&] { return back.count() > 0; }, 5000));
    EXPECT_EQ(back.at(0).at(0).toString(), second.slavePath());
    QTest::qWait(3 * AdapterWatch::kPollMs);
    EXPECT_EQ(back.count(), 1) << "once per watch";
    EXPECT_FALSE(watch.watching());
}
