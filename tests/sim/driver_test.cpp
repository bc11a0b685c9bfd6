#include "core/commands.h"
#include "sim/driver.h"

#include <gtest/gtest.h>

using namespace stepdrive;
using namespace stepdrive::sim;
using std::chrono::milliseconds;

namespace {

const Clock::time_point t0 = Clock::time_point{} + std::chrono::hours(1);

Clock::time_point at(int ms) {
    return t0 + milliseconds(ms);
}

class sim_Driver : public ::testing::Test {
protected:
    Bytes send(Format format, std::vector<std::uint8_t> args, Clock::time_point when = t0) {
        const Bytes block = commandBlock(format, args);
        CommandFrame frame{format,
                           Bytes(block.begin(), block.begin() + formatInfo(format).frameLength)};
        return driver.handle(frame, when);
    }
    Bytes shortCmd(std::uint8_t code, std::uint8_t option, std::int32_t value = 0,
                   Clock::time_point when = t0) {
        const Bytes data = bigEndian(value, 4);
        return send(Format::Short, {code, option, data[0], data[1], data[2], data[3]}, when);
    }
    // The signed 32-bit value of a short reply.
    static std::int32_t valueOf(const Bytes& r) { return signedBigEndian(r.data() + 4, 4); }
    std::int32_t readPosition(Clock::time_point when) {
        return valueOf(shortCmd(cmd::ReadParameter, opt::Position, 0, when));
    }

    Driver driver{0x81};
};

} // namespace

TEST_F(sim_Driver, commandsOutsideTheTableAreEchoed) {
    EXPECT_EQ(send(Format::Short, {0x30, 9, 1, 2, 3, 4}),
              replyFrame(Format::Short, 0x30, {1, 2, 3, 4}));
    // Long 6 is not the short read: no parameter comes back.
    EXPECT_EQ(send(Format::Long, {cmd::ReadParameter, 1, 1, 2, 3, 4, 5, 6, 7}),
              replyFrame(Format::Long, cmd::ReadParameter, {1, 2, 3, 4, 5, 6, 7}));
}

TEST_F(sim_Driver, motorParametersWrittenAreReadBack) {
    const std::pair<std::uint8_t, std::int32_t> defaults[] = {
        {1, 20}, {2, 4}, {4, 800}, {5, 10}, {7, 500}, {9, 12800}, {6, 2}};
    for (auto [option, value] : defaults)
        EXPECT_EQ(valueOf(shortCmd(cmd::ReadParameter, option)), value) << int(option);

    // A write is answered with its own data; only the parameter's bytes count.
    EXPECT_EQ(shortCmd(cmd::WriteParameter, 1, 31), replyFrame(Format::Short, 5, {0, 0, 0, 31}));
    shortCmd(cmd::WriteParameter, 4, 0x7FF);
    shortCmd(cmd::WriteParameter, 9, -1000);
    shortCmd(cmd::WriteParameter, 6, 0x0108); // one byte: 8
    EXPECT_EQ(valueOf(shortCmd(cmd::ReadParameter, 1)), 31);
    EXPECT_EQ(valueOf(shortCmd(cmd::ReadParameter, 4)), 2047);
    EXPECT_EQ(valueOf(shortCmd(cmd::ReadParameter, 9)), -1000);
    EXPECT_EQ(valueOf(shortCmd(cmd::ReadParameter, 6)), 8);
    EXPECT_EQ(valueOf(shortCmd(cmd::ReadParameter, 2)), 4);
}

TEST_F(sim_Driver, movesTravelAtRunSpeedAndStopAtTheTarget) {
    shortCmd(cmd::WriteParameter, 4, 800); // 80000 pulses a second
    EXPECT_EQ(shortCmd(cmd::Move, opt::MoveAbsolute, 100000),
              replyFrame(Format::Short, cmd::Move, {0x00, 0x01, 0x86, 0xA0}));
    EXPECT_TRUE(driver.running(at(0)));
    EXPECT_EQ(readPosition(at(500)), 40000);
    EXPECT_EQ(driver.statusA(at(500)), 0x01);
    EXPECT_EQ(readPosition(at(1250)), 100000);
    EXPECT_FALSE(driver.running(at(1250)));
    EXPECT_EQ(readPosition(at(5000)), 100000);

    // Incremental, negative, from where it stands.
    shortCmd(cmd::Move, opt::MoveIncremental, -150000, at(5000));
    EXPECT_EQ(readPosition(at(5250)), 80000);
    EXPECT_EQ(readPosition(at(8000)), -50000);

    // Stop halts a move where it is; a new move replaces a running one.
    shortCmd(cmd::Move, opt::MoveAbsolute, 0, at(8000));
    shortCmd(cmd::Stop, 0, 0, at(8250));
    EXPECT_EQ(readPosition(at(9000)), -30000);
    shortCmd(cmd::Move, opt::MoveAbsolute, 1000000, at(9000));
    shortCmd(cmd::Move, opt::MoveAbsolute, -30000 - 8000, at(9100));
    EXPECT_EQ(readPosition(at(9100)), -22000);
    EXPECT_EQ(readPosition(at(10000)), -38000);
}

TEST_F(sim_Driver, jogRunsUntilStopAndSpeedZeroStandsStill) {
    shortCmd(cmd::JogRight, 0, 300, at(0)); // 30000 pulses a second
    EXPECT_EQ(readPosition(at(2000)), 60000);
    EXPECT_TRUE(driver.running(at(2000)));
    shortCmd(cmd::JogLeft, 0, 100, at(2000));
    EXPECT_EQ(readPosition(at(3000)), 50000);
    shortCmd(cmd::Stop, 0, 0, at(3000));
    EXPECT_FALSE(driver.running(at(3000)));
    EXPECT_EQ(readPosition(at(9000)), 50000);

    shortCmd(cmd::JogLeft, 0, 0, at(9000));
    EXPECT_FALSE(driver.running(at(9000)));
    EXPECT_EQ(readPosition(at(10000)), 50000);
}

TEST_F(sim_Driver, homeSearchMakesHomePlusOffsetPositionZero) {
    EXPECT_TRUE(driver.atHome(t0));
    EXPECT_EQ(driver.statusA(t0), 0x02);

    shortCmd(cmd::WriteParameter, 7, 100); // 10000 pulses a second
    shortCmd(cmd::WriteParameter, 9, 5000);
    shortCmd(cmd::Move, opt::MoveAbsolute, 20000, at(0)); // 0.25 s at 800
    EXPECT_FALSE(driver.atHome(at(1000)));

    shortCmd(cmd::HomeSearch, opt::HomeSearch, 0, at(1000));
    EXPECT_EQ(readPosition(at(2000)), 10000); // on its way back to the sensor
    EXPECT_TRUE(driver.atHome(at(2600)));     // 4000 pulses short of it: made
    EXPECT_TRUE(driver.atHome(at(3000)));     // passing the sensor
    EXPECT_EQ(driver.statusA(at(3000)), 0x03);
    EXPECT_EQ(readPosition(at(3250)), 2500); // on by the offset
    EXPECT_TRUE(driver.running(at(3250)));
    EXPECT_EQ(readPosition(at(3500)), 0); // arrived: the new zero
    EXPECT_FALSE(driver.running(at(3500)));
    EXPECT_FALSE(driver.atHome(at(3500)));

    // The sensor is now at -offset.
    shortCmd(cmd::Move, opt::MoveAbsolute, -5000, at(4000));
    EXPECT_TRUE(driver.atHome(at(5000)));
    EXPECT_EQ(readPosition(at(5000)), -5000);

    // A second search ends at the same place.
    shortCmd(cmd::Move, opt::MoveAbsolute, 7000, at(5000));
    shortCmd(cmd::HomeSearch, opt::HomeSearch, 0, at(6000));
    EXPECT_EQ(readPosition(at(9000)), 0);
    EXPECT_FALSE(driver.atHome(at(9000)));

    // A stop during the search leaves the counter where it was.
    shortCmd(cmd::HomeSearch, opt::HomeSearch, 0, at(9000));
    shortCmd(cmd::Stop, 0, 0, at(9100));
    EXPECT_EQ(readPosition(at(9500)), -1000);
}

TEST_F(sim_Driver, inputsStatusAndOutputs) {
    EXPECT_EQ(shortCmd(cmd::ReadInputs, opt::Inputs),
              replyFrame(Format::Short, cmd::ReadInputs, {0, 0, 0x02, 0x81}));
    shortCmd(cmd::JogRight, 0, 1000, at(0)); // off the sensor after 50 ms
    EXPECT_EQ(shortCmd(cmd::ReadInputs, opt::Inputs, 0, at(100)),
              replyFrame(Format::Short, cmd::ReadInputs, {0, 0, 0x01, 0x81}));

    EXPECT_EQ(send(Format::Short, {cmd::SetOutputs, opt::Outputs, 1, 0, 0, 1}),
              replyFrame(Format::Short, cmd::SetOutputs, {1, 0, 0, 1}));
    EXPECT_EQ(driver.outputs(), (std::array<std::uint8_t, 4>{1, 0, 0, 1}));
    send(Format::Short, {cmd::SetOutputs, opt::Outputs, 0, 1, 0, 0});
    EXPECT_EQ(driver.outputs(), (std::array<std::uint8_t, 4>{0, 1, 0, 0}));
}

TEST_F(sim_Driver, beltParametersAndIn2Flag) {
    shortCmd(cmd::WriteBelt, 1, 10);
    shortCmd(cmd::WriteBelt, 2, 800);
    shortCmd(cmd::WriteBelt, 4, 0xFFFF);
    EXPECT_EQ(send(Format::Short, {cmd::WriteBelt, opt::BeltIn2Flag, 0, 0, 1, 0}),
              replyFrame(Format::Short, cmd::WriteBelt, {0, 0, 1, 0}));
    EXPECT_TRUE(driver.in2Used());

    EXPECT_EQ(valueOf(shortCmd(cmd::ReadBelt, 1)), 10);
    EXPECT_EQ(valueOf(shortCmd(cmd::ReadBelt, 2)), 800);
    EXPECT_EQ(valueOf(shortCmd(cmd::ReadBelt, 3)), 0);
    EXPECT_EQ(valueOf(shortCmd(cmd::ReadBelt, 4)), 65535);
    send(Format::Short, {cmd::WriteBelt, opt::BeltIn2Flag, 0, 0, 0, 0});
    EXPECT_FALSE(driver.in2Used());
}

TEST_F(sim_Driver, tableEntriesAndTableMoves) {
    // Entry 2: velocity 2047, acceleration 100, position -100.
    const Bytes entry{0x07, 0xFF, 0x00, 0x64, 0xFF, 0xFF, 0x9C};
    Bytes download{tableCmd::Download, 2};
    download.insert(download.end(), entry.begin(), entry.end());
    EXPECT_EQ(send(Format::Long, download), replyFrame(Format::Long, tableCmd::Download, entry));
    EXPECT_EQ(send(Format::Long, {tableCmd::Read, 2}),
              replyFrame(Format::Long, tableCmd::Read, entry));
    EXPECT_EQ(send(Format::Long, {tableCmd::Read, 1}),
              replyFrame(Format::Long, tableCmd::Read, {0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(driver.tableEntry(2).position, -100);

    // Row 0 moves at its own velocity (10: 1000 pulses a second) to its
    // own position, whatever the table holds.
    send(Format::Long, {tableCmd::MoveToRow, 0, 0x00, 0x0A, 0x00, 0x0A, 0xFF, 0xFC, 0x18}, at(0));
    EXPECT_EQ(readPosition(at(500)), -500);
    EXPECT_EQ(readPosition(at(2000)), -1000);
    EXPECT_FALSE(driver.running(at(2000)));
}
