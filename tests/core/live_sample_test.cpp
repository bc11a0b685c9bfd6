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
