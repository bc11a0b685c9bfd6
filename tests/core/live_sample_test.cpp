// The live samples: the speed between two readings; a sample timed by its
// position reply, its speed from the sample before, the inputs of the reply
// after; and when the next is due.

#include "core/live_sample.h"

#include <climits>
#include <gtest/gtest.h>

using namespace stepdrive;

// The driver's position counter wraps at 32 bits: the speed between two
// readings takes the shorter way round.
TEST(LiveSample, theSpeedTakesTheShortWayRoundTheCounter) {
    const struct {
        std::int32_t from, to;
        double seconds;
        double speed;
    } cases[] = {
        {0, 1000, 1.0, 1000},
        {1000, -1000, 0.5, -4000},
        {INT32_MAX, INT32_MIN, 0.5, 2},
        {INT32_MIN, INT32_MAX, 1.0, -1},
        {INT32_MAX - 9, INT32_MIN + 10, 0.1, 200},
        {5, 7, 0, 0},
        {5, 7, -1, 0},
    };
    for (const auto& c : cases)
        EXPECT_DOUBLE_EQ(speedBetween(c.from, c.to, c.seconds), c.speed)
            << c.from << " to " << c.to << " in " << c.seconds;
}

TEST(LiveSampler, theSpeedIsTheWayFromTheSampleBeforeOverTheTimeBetweenTheirReplies) {
    const struct {
        std::int32_t position;
        std::int64_t ms; // when its reply arrived
        bool restart;    // before it
        double speed;
    } steps[] = {
        {1000, 70, false, 0},                           // the first has none
        {1141, 211, false, 1000},                       // 141 pulses in 141 ms
        {1141, 361, false, 0},    {5000, 500, true, 0}, // a new watch
        {5100, 600, false, 1000},
    };
    LiveSampler sampler;
    Inputs in;
    in.in[2] = true;
    in.running = true;
    for (const auto& s : steps) {
        if (s.restart)
            sampler.restart();
        sampler.position(s.position, s.ms * 1000000);
        const LiveSample sample = sampler.inputs(in);
        EXPECT_EQ(sample.ms, s.ms);
        EXPECT_EQ(sample.position, s.position);
        EXPECT_DOUBLE_EQ(sample.speed, s.speed) << s.ms;
        EXPECT_TRUE(sample.running && !sample.homeSensor && sample.input(3) && !sample.input(1));
    }
}

TEST(LiveSampler, aSampleIsDueAtEachIntervalAndOneThatTookLongerSkipsTheOnesMissed) {
    const struct {
        std::int64_t due, now;
        int interval;
        std::int64_t next;
    } cases[] = {
        {0, 30, 50, 50},     {0, 50, 50, 50},      {0, 141, 50, 150},
        {150, 291, 50, 300}, {100, 100, 100, 200},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LiveSampler::nextDue(c.due, c.now, c.interval), c.next) << c.due << " " << c.now;
}
