// How each value travels: the rules the windows, the command line, the files
// and the simulator share.

#include "core/driver_values.h"

#include <gtest/gtest.h>

using namespace stepdrive;

namespace {
using Data = std::array<std::uint8_t, 4>;
} // namespace

// A parameter goes in the low bytes of its width within its range; anything
// else is refused (and would go as zeros).
TEST(DriverValues, aParameterTravelsInItsBytesWithinItsRange) {
    const ValueRule& runCurrent = kMotorParameters[0];
    const ValueRule& runSpeed = kMotorParameters[2];
    const ValueRule& homeOffset = kMotorParameters[5];
    const ValueRule& resolution = kMotorParameters[6];
    const ValueRule& beltSpeed = kBeltParameters[1];
    const struct {
        const ValueRule& rule;
        std::int32_t value;
        bool accepted;
        Data data;
    } cases[] = {
        {runCurrent, 31, true, {0, 0, 0, 0x1F}},
        {runCurrent, 32, false, {}},
        {runCurrent, -5, false, {}},
        {runSpeed, 2047, true, {0, 0, 0x07, 0xFF}},
        {runSpeed, 2048, false, {}},
        {resolution, 8, true, {0, 0, 0, 8}},
        {resolution, 9, false, {}},
        {homeOffset, -999999, true, {0xFF, 0xF0, 0xBD, 0xC1}},
        {homeOffset, INT32_MIN, true, {0x80, 0, 0, 0}},
        {homeOffset, INT32_MAX, true, {0x7F, 0xFF, 0xFF, 0xFF}},
        {beltSpeed, 3000, true, {0, 0, 0x0B, 0xB8}},
        {beltSpeed, 65535, true, {0, 0, 0xFF, 0xFF}},
        {beltSpeed, 65536, false, {}},
        {beltSpeed, -1, false, {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(accepts(c.rule, c.value), c.accepted) << c.rule.key << " " << c.value;
        EXPECT_EQ(dataBytes(c.rule, c.value), c.data) << c.rule.key << " " << c.value;
    }
    EXPECT_EQ(in2FlagBytes(true), (Data{0, 0, 1, 0}));
    EXPECT_EQ(in2FlagBytes(false), (Data{}));
}

// A table field is carried when the driver reads back the number sent: a
// signed 24-bit position, a signed 16-bit velocity and acceleration (-1 goes
// as all ones). What is not carried would arrive as another number.
TEST(DriverValues, aTableFieldIsCarriedOnlyWhenTheDriverReadsTheSameNumber) {
    const TableField& position = kTableFields[0];
    const TableField& velocity = kTableFields[1];
    const TableField& acceleration = kTableFields[2];
    const struct {
        const TableField& field;
        std::int32_t value;
        bool carried;
        std::vector<std::uint8_t> bytes; // of the field, as sent
    } cases[] = {
        {position, 0, true, {0, 0, 0}},
        {position, -1, true, {0xFF, 0xFF, 0xFF}},
        {position, -100000, true, {0xFE, 0x79, 0x60}},
        {position, 8388607, true, {0x7F, 0xFF, 0xFF}},
        {position, -8388608, true, {0x80, 0, 0}},
        {position, 8388608, false, {0x80, 0, 0}},
        {position, -8388609, false, {0x7F, 0xFF, 0xFF}},
        {position, 16777216, false, {0, 0, 0}},
        {position, 123456789, false, {0x5B, 0xCD, 0x15}},
        {velocity, -1, true, {0xFF, 0xFF}},
        {velocity, 32767, true, {0x7F, 0xFF}},
        {velocity, -32768, true, {0x80, 0}},
        {velocity, 32768, false, {0x80, 0}},
        {acceleration, 40000, false, {0x9C, 0x40}},
        {acceleration, -32769, false, {0x7F, 0xFF}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.field.key) + " " + std::to_string(c.value));
        EXPECT_EQ(carried(c.field, c.value), c.carried);
        TableEntry sent;
        sent.*c.field.member = c.value;
        const auto data = tableData(sent);
        const auto from = data.begin() + c.field.bytes.first;
        EXPECT_EQ(std::vector<std::uint8_t>(from, from + c.field.bytes.count), c.bytes);
        EXPECT_EQ(tableEntryOf(data.data()).*c.field.member == c.value, c.carried);
    }
    // An entry's frame carries vel1 vel0 acc1 acc0 pos2 pos1 pos0.
    EXPECT_EQ(tableData({-1, 2047, 100}),
              (std::array<std::uint8_t, 7>{0x07, 0xFF, 0x00, 0x64, 0xFF, 0xFF, 0xFF}));
}

// Inputs 1 to 8 are the bits of status byte B; bits 0 and 1 of A the run
// flag and the home sensor, its other bits nothing shown.
TEST(DriverValues, theInputsAreTheBitsOfTheStatusBytes) {
    using In = std::array<bool, 8>;
    const struct {
        std::uint8_t a, b;
        In in;
        bool running, homeSensor;
    } cases[] = {
        {0x00, 0x00, {}, false, false},
        {0x03, 0x81, {true, false, false, false, false, false, false, true}, true, true},
        {0x01, 0x02, {false, true}, true, false},
        {0xFE, 0x7E, {false, true, true, true, true, true, true, false}, false, true},
    };
    for (const auto& c : cases) {
        const Inputs i = inputsOf(c.a, c.b);
        EXPECT_EQ(i.in, c.in) << int(c.a) << " " << int(c.b);
        EXPECT_EQ(i.running, c.running) << int(c.a);
        EXPECT_EQ(i.homeSensor, c.homeSensor) << int(c.a);
        const std::array<std::uint8_t, 2> sent{static_cast<std::uint8_t>(c.a & 0x03), c.b};
        EXPECT_EQ(inputStatus(i), sent) << int(c.a) << " " << int(c.b);
    }
}
