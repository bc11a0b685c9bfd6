#include "sys/devices.h"

#include <QTemporaryFile>
#include <cerrno>
#include <cstring>
#include <gtest/gtest.h>

using namespace stepdrive::sys;

// COM n's own device and back; a device of no COM number is 0.
TEST(Devices, comNumbersAndTheirDevices) {
    for (const int n : {1, 4, 10, 256})
        EXPECT_EQ(comNumberOf(comDevice(n)), n) << n;
    for (const char* other : {"/dev/ttyUSB0", "/dev/ttyS", "/dev/ttyS4x", "ttyS3", ""})
        EXPECT_EQ(comNumberOf(QString::fromLatin1(other)), 0) << other;
}

// What did not open as a serial port may be no serial device at all.
TEST(Devices, whatIsNoSerialDevice) {
    QTemporaryFile file;
    ASSERT_TRUE(file.open());
    EXPECT_TRUE(notSerial(file.fileName(), {}));
    EXPECT_TRUE(notSerial(QStringLiteral("/dev/null"), QString::fromLocal8Bit(strerror(ENOTTY))));
    EXPECT_FALSE(notSerial(QStringLiteral("/dev/null"), QStringLiteral("Permission denied")));
    EXPECT_FALSE(notSerial(QStringLiteral("/dev/stepdrive-none"), {}));
}
