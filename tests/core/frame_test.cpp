#include "core/commands.h"
#include "core/frame.h"

#include <QByteArray>
#include <gtest/gtest.h>

using namespace stepdrive;

namespace {
std::string hex(const Bytes& b) {
    return hexEcho(b);
}
} // namespace

TEST(Frame, shortCommandWorkedExamples) {
    // Home search, the frame every reader of the line knows.
    EXPECT_EQ(hex(commandBlock(Format::Short, {7, 1, 0, 0, 0, 0})),
              "AA  00  07  01  00  00  00  00  EE  08  00  00  ");
    // The sum of bytes 1 to 8, modulo 256: 1024 wraps to zero.
    EXPECT_EQ(commandBlock(Format::Short, {4, 0, 0xFF, 0xFF, 0xFF, 0xFF})[9], 0x00);
    EXPECT_EQ(commandBlock(Format::Short, {4, 1, 0xFF, 0xFF, 0xFC, 0x18})[9], 0x17);
}

TEST(Frame, longCommandWorkedExamples) {
    EXPECT_EQ(hex(commandBlock(Format::Long, {15, 1})),
              "CC  00  0F  01  00  00  00  00  00  00  00  EE  10  00  00  ");
    EXPECT_EQ(hex(commandBlock(Format::Long, {14, 1, 0x03, 0x20, 0x00, 0x0A, 0, 0, 0})),
              "CC  00  0E  01  03  20  00  0A  00  00  00  EE  3C  00  00  ");
    EXPECT_EQ(commandBlock(Format::Long, {4, 0, 0x03, 0x20, 0x00, 0x0A, 0, 0, 0})[12], 0x31);
    EXPECT_EQ(commandBlock(Format::Long, {15, 2})[12], 0x11);
}

TEST(Frame, replyFrameLayoutAndChecksum) {
    const Bytes r = replyFrame(Format::Short, 6, {0, 0, 0x03, 0x20});
    EXPECT_EQ(hex(r), "BB  00  06  64  00  00  03  20  EE  8D  ");
    const Bytes l = replyFrame(Format::Long, 15, {0x03, 0x20, 0x00, 0x0A, 0xFF, 0xFF, 0x9C});
    ASSERT_EQ(l.size(), 13u);
    EXPECT_EQ(l[11], kTrailer);
    EXPECT_EQ(l[12], checksum(l.data(), 1, 10));
}

TEST(Frame, bigEndianPacking) {
    EXPECT_EQ(bigEndian(300, 4), (std::vector<std::uint8_t>{0, 0, 0x01, 0x2C}));
    EXPECT_EQ(bigEndian(-1000, 4), (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFC, 0x18}));
    EXPECT_EQ(bigEndian(-1, 3), (std::vector<std::uint8_t>{0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(bigEndian(16777216, 3), (std::vector<std::uint8_t>{0, 0, 0}));
    EXPECT_EQ(bigEndian(2047, 2), (std::vector<std::uint8_t>{0x07, 0xFF}));
}

// One reply parser for both formats: the code, the status bytes, the signed
// fields of the format and the wrong fixed bytes, from the reply's own bytes.
TEST(Frame, repliesParsedFromTheirOwnBytes) {
    struct Case {
        Format format;
        const char* hex;
        bool checkTrailer;
        std::uint8_t code;
        std::vector<std::optional<std::int32_t>> fields;
        int wrong;
    };
    const Case cases[] = {
        {Format::Short, "BB00066480000001EE00", true, 6, {INT32_MIN + 1}, 0},
        {Format::Short, "BA000C6500000381EF00", true, 12, {0x381}, 3},
        {Format::Short, "BB000664FFFFFC18EE00", true, 6, {-1000}, 0},
        {Format::Short, "BB00066480000000EE00", true, 6, {INT32_MIN}, 0},
        {Format::Short, "BB000E65000186A0EF00", true, 14, {100000}, 2},
        {Format::Short, "BA000665000086A0EF00", false, 6, {0x86A0}, 2},
        {Format::Short, "BB0006640000", true, 6, {std::nullopt}, 0},
        {Format::Short, "BB00", true, 0, {std::nullopt}, 0},
        {Format::Long, "BB000F640320000AFFFF9CEE00", true, 15, {800, 10, -100}, 0},
        {Format::Long, "BB000F6480007FFF80000000", false, 15, {-32768, 32767, -8388608}, 0},
        {Format::Long, "BB000F6480007FFF80000000", true, 15, {-32768, 32767, -8388608}, 1},
        {Format::Long, "BB000F64FFFF00007FFFFFEE00", true, 15, {-1, 0, 8388607}, 0},
        {Format::Long, "BA000F6480007FFF80000000", true, 15, {-32768, 32767, -8388608}, 2},
        {Format::Long, "BB000F6403200A", true, 15, {800, std::nullopt, std::nullopt}, 0},
        {Format::Long, "BB00", true, 0, {std::nullopt, std::nullopt, std::nullopt}, 0},
    };
    for (const Case& c : cases) {
        const QByteArray b = QByteArray::fromHex(c.hex);
        const Reply r = parseReply(c.format, reinterpret_cast<const std::uint8_t*>(b.constData()),
                                   static_cast<std::size_t>(b.size()), c.checkTrailer);
        EXPECT_EQ(r.code, c.code) << c.hex;
        EXPECT_EQ(r.fields, c.fields) << c.hex;
        EXPECT_EQ(r.wrongBytes(), c.wrong) << c.hex;
    }
    const QByteArray status = QByteArray::fromHex("BB000C6400000381EE00");
    const Reply inputs = parseReply(
        Format::Short, reinterpret_cast<const std::uint8_t*>(status.constData()), 10, true);
    EXPECT_EQ(inputs.statusA, 0x03);
    EXPECT_EQ(inputs.statusB, 0x81);
}
