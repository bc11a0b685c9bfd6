#include "core/live_sample.h"

#include <cmath>

namespace stepdrive {

double speedBetween(std::int32_t from, std::int32_t to, double seconds) {
    if (seconds <= 0)
        return 0;
    const auto moved = static_cast<std::int32_t>(static_cast<std::uint32_t>(to) -
                                                 static_cast<std::uint32_t>(from));
    return moved / seconds;
}

std::string csvHeader() {
    return "time_ms,position,speed,run,home_sensor,in1,in2,in3,in4,in5,in6,in7,in8\n";
}

std::string csvRow(const LiveSample& s) {
    std::string row = std::to_string(s.ms) + ',' + std::to_string(s.position) + ',' +
                      std::to_string(std::llround(s.speed)) + ',' + (s.running ? '1' : '0') + ',' +
                      (s.homeSensor ? '1' : '0');
    for (int n = 1; n <= 8; ++n)
        row += s.input(n) ? ",1" : ",0";
    return row + '\n';
}

} // namespace stepdrive
