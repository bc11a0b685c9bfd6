#include "core/commands.h"
#include "sim/faults.h"

#include <gtest/gtest.h>

using namespace stepdrive;
using namespace stepdrive::sim;

namespace {

const Bytes kReply = replyFrame(Format::Short, cmd::ReadInputs, {0, 0, 0x03, 0x81});

Bytes joined(const std::vector<Bytes>& pieces) {
    Bytes all;
    for (const Bytes& p : pieces)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

} // namespace

TEST(sim_Faults, corruptionHitsTheChosenByteOfEveryNthReply) {
    const std::pair<Corruption, std::size_t> cases[] = {
        {Corruption::Header, 0}, {Corruption::Status, 3}, {Corruption::Trailer, 8}};
    for (auto [corruption, at] : cases) {
        FaultOptions options;
        options.corruption = corruption;
        options.every = 2;
        ReplyShaper shaper{options};
        EXPECT_EQ(joined(shaper.shape(kReply)), kReply);
        const Bytes bad = joined(shaper.shape(kReply));
        ASSERT_EQ(bad.size(), kReply.size());
        for (std::size_t i = 0; i < bad.size(); ++i)
            EXPECT_EQ(bad[i] != kReply[i], i == at) << i;
        EXPECT_EQ(joined(shaper.shape(kReply)), kReply);
    }
    // The same on a long reply, whose trailer sits further on.
    FaultOptions options;
    options.corruption = Corruption::Trailer;
    const Bytes longReply = replyFrame(Format::Long, 15, {1, 2, 3, 4, 5, 6, 7});
    EXPECT_EQ(joined(ReplyShaper{options}.shape(longReply))[11], 0xEF);
}

TEST(sim_Faults, dropSplitAndNoise) {
    FaultOptions options;
    options.drop = 3;
    options.split = 4;
    options.noise = 300;
    ReplyShaper shaper{options};
    for (int n = 1; n <= 6; ++n) {
        const std::vector<Bytes> pieces = shaper.shape(kReply);
        if (n % 3 == 0) {
            EXPECT_TRUE(pieces.empty());
            continue;
        }
        ASSERT_EQ(pieces.size(), 78u); // 310 bytes, 4 at a time
        for (std::size_t i = 0; i + 1 < pieces.size(); ++i)
            EXPECT_EQ(pieces[i].size(), 4u);
        const Bytes line = joined(pieces);
        ASSERT_EQ(line.size(), 310u);
        EXPECT_EQ(Bytes(line.end() - 10, line.end()), kReply);
        // The noise keeps clear of the reply header.
        EXPECT_EQ(std::count(line.begin(), line.end() - 10, kReplyHeader), 0);
    }
    EXPECT_EQ(shaper.dropped(), 2);
}
