// The values the driver keeps: packing into data bytes and table fields.

#include "link/driver_values.h"

#include <gtest/gtest.h>

using namespace stepdrive;

TEST(DriverValues, tableFieldsGoOutInTheirWidthAndComeBackSigned) {
    const struct {
        TableEntry entry;
        std::array<std::uint8_t, 7> data;
    } cases[] = {
        {{0, 800, 10}, {0x03, 0x20, 0x00, 0x0A, 0x00, 0x00, 0x00}},
        {{-1, 2047, 100}, {0x07, 0xFF, 0x00, 0x64, 0xFF, 0xFF, 0xFF}},
        {{-8388608, -32768, 32767}, {0x80, 0x00, 0x7F, 0xFF, 0x80, 0x00, 0x00}},
        {{8388607, -1, 0}, {0xFF, 0xFF, 0x00, 0x00, 0x7F, 0xFF, 0xFF}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(tableData(c.entry), c.data) << c.entry.position;
        EXPECT_EQ(tableEntryOf(c.data.data()), c.entry) << c.entry.position;
    }
    // Bits above the field are dropped.
    EXPECT_EQ(tableData({16777216 + 5, 65536 + 7, 0}),
              (std::array<std::uint8_t, 7>{0x00, 0x07, 0x00, 0x00, 0x00, 0x00, 0x05}));
}

TEST(DriverValues, aRefusedValueIsWrittenAsZeros) {
    const ValueRule& runCurrent = kMotorParameters[0];
    const ValueRule& homeOffset = kMotorParameters[5];
    EXPECT_EQ(dataBytes(runCurrent, 31), (std::array<std::uint8_t, 4>{0, 0, 0, 31}));
    EXPECT_EQ(dataBytes(runCurrent, 32), (std::array<std::uint8_t, 4>{}));
    EXPECT_EQ(dataBytes(runCurrent, -1), (std::array<std::uint8_t, 4>{}));
    EXPECT_EQ(dataBytes(homeOffset, -2), (std::array<std::uint8_t, 4>{0xFF, 0xFF, 0xFF, 0xFE}));
    EXPECT_EQ(dataBytes(kBeltParameters[1], 0xFFFF),
              (std::array<std::uint8_t, 4>{0, 0, 0xFF, 0xFF}));
    EXPECT_EQ(in2FlagBytes(true), (std::array<std::uint8_t, 4>{0, 0, 1, 0}));
}
