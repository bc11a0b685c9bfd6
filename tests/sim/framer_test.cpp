#include "core/commands.h"
#include "sim/framer.h"

#include <gtest/gtest.h>

using namespace stepdrive;
using namespace stepdrive::sim;

namespace {

const Bytes kHome = commandBlock(Format::Short, {cmd::HomeSearch, opt::HomeSearch});
const Bytes kTableRead = commandBlock(Format::Long, {tableCmd::Read, 3});

Bytes frameOf(const Bytes& block, Format format) {
    return Bytes(block.begin(), block.begin() + formatInfo(format).frameLength);
}

std::vector<CommandFrame> drain(Framer& framer) {
    std::vector<CommandFrame> frames;
    while (auto f = framer.next())
        frames.push_back(*f);
    return frames;
}

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

TEST(sim_Framer, blocksOfBothFormatsInOneChunk) {
    Framer framer;
    framer.feed(kHome + kTableRead + kHome);
    const auto frames = drain(framer);
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].format, Format::Short);
    EXPECT_EQ(frames[0].bytes, frameOf(kHome, Format::Short));
    EXPECT_EQ(frames[1].format, Format::Long);
    EXPECT_EQ(frames[1].bytes, frameOf(kTableRead, Format::Long));
    EXPECT_EQ(frames[2].bytes, frameOf(kHome, Format::Short));
    EXPECT_EQ(framer.pending(), 0u);
}

TEST(sim_Framer, blockSplitAcrossFeeds) {
    Framer framer;
    const Bytes stream = kTableRead + kHome;
    std::vector<CommandFrame> frames;
    for (std::uint8_t b : stream) {
        framer.feed(&b, 1);
        for (auto& f : drain(framer))
            frames.push_back(f);
        if (frames.empty()) {
            EXPECT_LE(framer.pending(), 13u);
        }
    }
    ASSERT_EQ(frames.size(), 2u);
    EXPECT_EQ(frames[0].format, Format::Long);
    EXPECT_EQ(frames[1].format, Format::Short);
}

TEST(sim_Framer, resynchronisesOnGarbage) {
    // Garbage that holds both header bytes, a torn block and a block with a
    // wrong checksum, then a good block: only the good one comes out.
    Bytes torn(kHome.begin(), kHome.begin() + 6);
    Bytes badChecksum = kHome;
    badChecksum[9] ^= 0xFF;
    Bytes badTrailer = kTableRead;
    badTrailer[11] = 0x00;
    const Bytes stream =
        Bytes{0x13, 0xAA, 0x37, 0xCC, 0xEE} + torn + badChecksum + badTrailer + kTableRead;

    Framer framer;
    framer.feed(stream);
    const auto frames = drain(framer);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0].bytes, frameOf(kTableRead, Format::Long));
    EXPECT_EQ(framer.skipped() + 13 + framer.pending(), stream.size());

    // The reader is in step again for what follows.
    framer.feed(kHome);
    EXPECT_EQ(drain(framer).size(), 1u);
}
