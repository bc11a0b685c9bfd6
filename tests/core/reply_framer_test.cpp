#include "core/commands.h"
#include "core/reply_framer.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <deque>

using namespace stepdrive;

namespace {

Bytes reply(std::uint8_t code, std::uint8_t last = 0, Format f = Format::Short) {
    std::vector<std::uint8_t> data(f == Format::Short ? 4 : 7, 0);
    data.back() = last;
    return replyFrame(f, code, data);
}
Bytes with(Bytes b, std::size_t at, std::uint8_t value) {
    b.at(at) = value;
    return b;
}
Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
Bytes part(const Bytes& b, std::size_t from, std::size_t to) {
    return Bytes(b.begin() + static_cast<std::ptrdiff_t>(from),
                 b.begin() + static_cast<std::ptrdiff_t>(std::min(to, b.size())));
}

// What the framer handed back, one word a piece: "skip3" for three bytes
// skipped, "06=5" for a reply with code 6 and value 5, "06!" for a faulty
// one.
std::string describe(const ReplyFramer::Piece& p) {
    if (!p.reply)
        return "skip" + std::to_string(p.bytes.size());
    char code[4];
    std::snprintf(code, sizeof code, "%02X", p.reply->code);
    if (p.reply->failed)
        return std::string(code) + "!";
    return std::string(code) + "=" + std::to_string(p.reply->value().value_or(-1));
}

struct Case {
    const char* name;
    Format format;
    std::vector<std::uint8_t> awaited; // the codes of the commands sent, oldest first
    std::vector<Bytes> feeds;
    std::string pieces; // every piece described, blank-separated
    int wanted;         // bytes still lacking at the end
    bool checkTrailer = true;
};

const Bytes kNoise{0x12, 0xBB, 0x34, 0x56, 0x78};
// On the table link the stop is a 10-byte command: its reply is 10 bytes.
const Bytes kStop = reply(3);
const Bytes kTable = reply(15, 9, Format::Long);

const Case kCases[] = {
    {"aReplyWhole", Format::Short, {6}, {reply(6, 5)}, "06=5", 10},
    {"noiseBeforeAReply", Format::Short, {6}, {kNoise + reply(6, 5)}, "skip5 06=5", 10},
    {"noiseAfterAReply", Format::Short, {6}, {reply(6, 5) + Bytes{0x01, 0x02}}, "06=5 skip2", 10},
    {"aStrayHeaderBeforeAReply", Format::Short, {6}, {Bytes{0xBB} + reply(6, 5)}, "skip1 06=5", 10},
    {"aReplyInThreePieces",
     Format::Short,
     {6},
     {part(reply(6, 5), 0, 3), part(reply(6, 5), 3, 6), part(reply(6, 5), 6, 10)},
     "06=5",
     10},
    {"aReplyBegunIsKept", Format::Short, {6}, {part(reply(6, 5), 0, 4)}, "", 6},
    // The noise's own header may begin a reply: its bytes are kept too.
    {"noiseThenAReplyBegun", Format::Short, {6}, {kNoise + part(reply(6, 5), 0, 3)}, "skip1", 3},
    {"twoRepliesInOneBlock", Format::Short, {6, 6}, {reply(6, 1) + reply(6, 2)}, "06=1 06=2", 10},
    {"twoRepliesAcrossBlocks",
     Format::Short,
     {6, 12},
     {reply(6, 1) + part(reply(12, 2), 0, 4), part(reply(12, 2), 4, 10)},
     "06=1 0C=2",
     10},
    {"aReplyToNothingAwaitedIsSkipped",
     Format::Short,
     {6},
     {reply(3) + reply(6, 5)},
     "skip10 06=5",
     10},
    {"aReplyIsClaimedOnce", Format::Short, {6}, {reply(6, 1) + reply(6, 2)}, "06=1 skip10", 10},
    {"aStopBetweenReadRequests", Format::Short, {6, 3}, {reply(6, 7) + reply(3)}, "06=7 03=0", 10},
    {"aStopAnsweredFirst", Format::Short, {6, 3}, {reply(3) + reply(6, 7)}, "03=0 06=7", 10},
    {"aWrongStatusIsAFaultyReply", Format::Short, {5}, {with(reply(5), 3, 0x65)}, "05!", 10},
    {"aWrongTrailerIsAFaultyReply", Format::Short, {5}, {with(reply(5), 8, 0x00)}, "05!", 10},
    // Status and trailer both wrong: a header that noise happens to hold.
    {"noiseWithAHeaderIsNoReply",
     Format::Short,
     {5},
     {with(with(reply(5), 3, 0x65), 8, 0x00)},
     "skip10",
     10},
    {"aWrongHeaderIsNoReply", Format::Short, {5}, {with(reply(5), 0, 0xBC)}, "skip10", 10},
    {"aHeaderInsideNoiseDoesNotHideTheReply",
     Format::Short,
     {6},
     {Bytes{0xBB, 0x77, 0x06} + reply(6, 9)},
     "skip3 06=9",
     10},
    {"aTableReply", Format::Long, {15}, {reply(15, 9, Format::Long)}, "0F=0", 13},
    {"theTableTrailerUncheckedOutsideItsRead",
     Format::Long,
     {4},
     {with(reply(4, 0, Format::Long), 11, 0x00)},
     "04=0",
     13,
     false},
    {"aTableReplyInPiecesAfterNoise",
     Format::Long,
     {15},
     {kNoise + part(reply(15, 9, Format::Long), 0, 7), part(reply(15, 9, Format::Long), 7, 13)},
     "skip1 skip4 0F=0",
     13},
    {"aStopReplyOnTheTableLink", Format::Long, {3}, {kStop}, "03=0", 13},
    {"aStopReplyInPiecesOnTheTableLink",
     Format::Long,
     {15, 3},
     {part(kStop, 0, 2), part(kStop, 2, 9), part(kStop, 9, 10)},
     "03=0",
     13},
    // Until its code is in, a reply begun may be the stop's.
    {"aReplyBegunOnTheTableLinkMayBeTheStops", Format::Long, {15, 3}, {part(kStop, 0, 2)}, "", 8},
    {"aStopReplyBegunOnTheTableLink", Format::Long, {15, 3}, {part(kStop, 0, 4)}, "", 6},
    {"aTableReplyBegunWhileTheStopIsAwaited", Format::Long, {15, 3}, {part(kTable, 0, 4)}, "", 9},
    {"aStopReplyThenATableReply",
     Format::Long,
     {3, 15},
     {kStop + part(kTable, 0, 5), part(kTable, 5, 13)},
     "03=0 0F=0",
     13},
    {"aTableReplyThenAStopReplyInPieces",
     Format::Long,
     {15, 3},
     {kTable + part(kStop, 0, 6), part(kStop, 6, 10)},
     "0F=0 03=0",
     13},
    // A longer frame begun does not hold back a stop reply already whole.
    {"aStopReplyAfterALongerFrameBegun",
     Format::Long,
     {15, 3},
     {Bytes{0xBB, 0x00} + kStop},
     "skip2 03=0",
     13},
};

// The commands awaited, by code: on the table link every one is a 13-byte
// command but the stop.
struct Awaited : AwaitedFormats {
    Awaited(Format f, const std::vector<std::uint8_t>& c) : link(f), codes(c.begin(), c.end()) {}
    Format link;
    std::deque<std::uint8_t> codes;

    Format of(std::uint8_t code) const { return code == cmd::Stop ? Format::Short : link; }
    std::optional<Format> formatOf(std::uint8_t code) const override {
        if (std::find(codes.begin(), codes.end(), code) == codes.end())
            return std::nullopt;
        return of(code);
    }
    std::optional<Format> shortest() const override {
        std::optional<Format> found;
        for (std::uint8_t code : codes)
            if (!found || of(code) == Format::Short)
                found = of(code);
        return found;
    }
    std::optional<int> take(std::uint8_t code) {
        const auto a = std::find(codes.begin(), codes.end(), code);
        if (a == codes.end())
            return std::nullopt;
        codes.erase(a);
        return 0;
    }
};

class Framing : public ::testing::TestWithParam<Case> {};

TEST_P(Framing, findsEveryReplyAndSkipsTheRest) {
    const Case& c = GetParam();
    Awaited awaited(c.format, c.awaited);
    ReplyFramer framer(c.format, &awaited);
    const ReplyFramer::Claim claim = [&](std::uint8_t code) { return awaited.take(code); };
    std::string got;
    std::size_t bytesOut = 0, bytesIn = 0;
    for (const Bytes& feed : c.feeds) {
        bytesIn += feed.size();
        for (const auto& piece : framer.feed(feed.data(), feed.size(), claim, c.checkTrailer)) {
            got += (got.empty() ? "" : " ") + describe(piece);
            bytesOut += piece.bytes.size();
        }
    }
    EXPECT_EQ(got, c.pieces);
    EXPECT_EQ(framer.wanted(), c.wanted);
    // Every byte comes out once: in a piece now, or kept for later.
    const Bytes kept = framer.flush();
    EXPECT_EQ(bytesOut + kept.size(), bytesIn);
    awaited.codes.clear();
    EXPECT_EQ(framer.wanted(), formatInfo(c.format).frameLength);
}

INSTANTIATE_TEST_SUITE_P(ReplyFramer, Framing, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
