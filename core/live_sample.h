#pragma once
// One update of the live view and of `stepdrive-cli monitor`: the position,
// the speed derived from successive positions, the run flag, the home sensor
// and the eight inputs; and the CSV record of such updates.

#include "core/driver_values.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace stepdrive {

struct LiveSample {
    std::int64_t ms = 0;       // since the start of the watch or the record
    std::int32_t position = 0; // pulses
    double speed = 0;          // pulses per second
    bool running = false;      // status byte A, bit 0
    bool homeSensor = false;   // status byte A, bit 1
    std::uint8_t inputs = 0;   // status byte B: bit n is input n + 1

    bool input(int n) const { return (inputs >> (n - 1)) & 1u; }
};

// Where the live view stands: asking; holding back while a sequence or a
// read-back runs; the line closed; the driver silent on this opening.
enum class LiveState { Asking, Held, LineClosed, Silent };

// The speed between two positions read `seconds` apart; the 32-bit counter
// wraps, so the shorter way round is taken. 0 when no time passed.
double speedBetween(std::int32_t from, std::int32_t to, double seconds);

// Makes the samples of a watch, for the live view and stepdrive-cli monitor
// alike: a sample is timed when its position reply arrived, completed by the
// inputs reply after it, and its speed is the way from the sample before
// over the time between the two.
class LiveSampler {
public:
    // A new watch, or one broken off (a silent driver, a lost line): the
    // next sample has no speed.
    void restart() { previous_.reset(); }
    // The position reply arrived, `ns` into the watch.
    void position(std::int32_t value, std::int64_t ns);
    // The inputs reply: the sample is complete.
    LiveSample inputs(const Inputs& inputs);

    // When the sample after one due at `dueMs` is due, at `intervalMs`: the
    // next multiple of the interval, or the first one not past at `nowMs`
    // when the sample took longer (the ones missed are not asked).
    static std::int64_t nextDue(std::int64_t dueMs, std::int64_t nowMs, int intervalMs);

private:
    LiveSample sample_;
    std::int64_t ns_ = 0;
    std::optional<std::pair<std::int32_t, std::int64_t>> previous_;
};

// A sample's fields after its time, by name (position, speed, running,
// home_sensor, in1..in8) and as text: whole numbers, the speed rounded to
// whole pulses per second, 0 or 1 for the flags.
std::vector<std::string> liveFieldNames();
std::vector<std::string> liveFieldValues(const LiveSample& sample);

// The CSV record: a header naming the columns in English (time_ms, then the
// field names) and a row per sample; both end with a newline.
std::string csvHeader();
std::string csvRow(const LiveSample& sample);

} // namespace stepdrive
