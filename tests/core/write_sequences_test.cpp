// The write sequences and read orders the windows and the command line walk:
// their frames in order, with the pauses around each.

#include "core/write_sequences.h"

#include <gtest/gtest.h>

using namespace stepdrive;

namespace {
using Args = std::vector<std::uint8_t>;
// A sequence as frames of arguments, and its pauses before and after each.
struct Walked {
    std::vector<Args> frames;
    std::vector<int> before;
    std::vector<int> after;
};
Walked walked(const WriteSequence& s) {
    Walked w;
    for (const SequenceFrame& f : s.frames) {
        w.frames.push_back(f.args);
        w.before.push_back(f.pauseBeforeMs);
        w.after.push_back(f.pauseAfterMs);
    }
    return w;
}
std::vector<int> times(std::size_t n, int ms, int firstMs) {
    std::vector<int> t(n, ms);
    if (n)
        t[0] = firstMs;
    return t;
}
} // namespace

TEST(WriteSequences, theValuesGivenInTheirOrderWithTheirPauses) {
    const MotorValues motorDefaults{20, 4, 800, 10, 500, 12800, 2};
    MotorValues speedOnly;
    speedOnly[2] = 2000;
    TableValues thirdOnly;
    thirdOnly[2] = TableEntry{-1, 2047, 100};
    const struct {
        const char* what;
        WriteSequence sequence;
        Format format;
        std::vector<Args> frames;
        int firstMs;
    } cases[] = {
        {"motor defaults",
         motorWrite(motorDefaults),
         Format::Short,
         {{5, 1, 0, 0, 0, 20},
          {5, 2, 0, 0, 0, 4},
          {5, 4, 0, 0, 0x03, 0x20},
          {5, 5, 0, 0, 0, 10},
          {5, 7, 0, 0, 0x01, 0xF4},
          {5, 9, 0, 0, 0x32, 0x00},
          {5, 6, 0, 0, 0, 2}},
         100},
        {"one motor parameter",
         motorWrite(speedOnly),
         Format::Short,
         {{5, 4, 0, 0, 0x07, 0xD0}},
         100},
        {"nothing given", motorWrite({}), Format::Short, {}, 100},
        {"one table entry",
         tableDownload(thirdOnly),
         Format::Long,
         {{14, 3, 0x07, 0xFF, 0, 0x64, 0xFF, 0xFF, 0xFF}},
         0},
        {"belt and its IN2 flag",
         beltWrite({100, 3000, 300, 400}, true),
         Format::Short,
         {{13, 1, 0, 0, 0, 100},
          {13, 2, 0, 0, 0x0B, 0xB8},
          {13, 3, 0, 0, 0x01, 0x2C},
          {13, 4, 0, 0, 0x01, 0x90},
          {13, 7, 0, 0, 1, 0}},
         100},
        {"the IN2 flag alone", beltWrite({}, true), Format::Short, {{13, 7, 0, 0, 1, 0}}, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Walked w = walked(c.sequence);
        EXPECT_EQ(c.sequence.format, c.format);
        EXPECT_EQ(w.frames, c.frames);
        EXPECT_EQ(w.before, times(c.frames.size(), 0, c.firstMs));
        EXPECT_EQ(w.after, std::vector<int>(c.frames.size(), 150));
    }
}

// One request a value, in the order each read-back asks, and the pause after
// each reply.
TEST(ReadOrders, eachReadAsksInItsOrder) {
    const struct {
        const char* what;
        ReadOrder order;
        Format format;
        std::vector<Args> requests; // cmd, opt1, index
        int pauseMs;
    } cases[] = {
        {"motor",
         motorRead(),
         Format::Short,
         {{6, 1, 0}, {6, 2, 1}, {6, 4, 2}, {6, 5, 3}, {6, 7, 4}, {6, 9, 5}, {6, 6, 6}},
         100},
        {"table",
         tableRead(),
         Format::Long,
         {{15, 1, 0}, {15, 2, 1}, {15, 3, 2}, {15, 4, 3}, {15, 5, 4}, {15, 6, 5}, {15, 7, 6}},
         100},
        {"belt", beltRead(), Format::Short, {{14, 1, 0}, {14, 2, 1}, {14, 3, 2}, {14, 4, 3}}, 100},
        {"position", positionRead(), Format::Short, {{6, 8, 0}}, 100},
        {"inputs", inputsRead(), Format::Short, {{12, 1, 0}}, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Args> requests;
        for (const ReadStep& s : c.order.steps)
            requests.push_back({s.cmd, s.opt1, static_cast<std::uint8_t>(s.index)});
        EXPECT_EQ(c.order.format, c.format);
        EXPECT_EQ(requests, c.requests);
        EXPECT_EQ(c.order.pauseAfterEachMs, c.pauseMs);
    }
}
