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

void LiveSampler::position(std::int32_t value, std::int64_t ns) {
    sample_ = {};
    sample_.ms = ns / 1000000;
    sample_.position = value;
    ns_ = ns;
}

LiveSample LiveSampler::inputs(const Inputs& in) {
    sample_.running = in.running;
    sample_.homeSensor = in.homeSensor;
    for (std::size_t i = 0; i < in.in.size(); ++i)
        sample_.inputs |= static_cast<std::uint8_t>(in.in[i] << i);
    if (previous_)
        sample_.speed =
            speedBetween(previous_->first, sample_.position, (ns_ - previous_->second) / 1e9);
    previous_ = {{sample_.position, ns_}};
    return sample_;
}

std::int64_t LiveSampler::nextDue(std::int64_t dueMs, std::int64_t nowMs, int intervalMs) {
    const std::int64_t next = dueMs + intervalMs;
    return next >= nowMs ? next : (nowMs + intervalMs - 1) / intervalMs * intervalMs;
}

std::vector<std::string> liveFieldNames() {
    return {"position", "speed", "running", "home_sensor", "in1", "in2",
            "in3",      "in4",   "in5",     "in6",         "in7", "in8"};
}

std::vector<std::string> liveFieldValues(const LiveSample& s) {
    std::vector<std::string> values = {std::to_string(s.position),
                                       std::to_string(std::llround(s.speed)), s.running ? "1" : "0",
                                       s.homeSensor ? "1" : "0"};
    for (int n = 1; n <= 8; ++n)
        values.push_back(s.input(n) ? "1" : "0");
    return values;
}

namespace {
std::string joined(std::string first, const std::vector<std::string>& rest) {
    for (const std::string& r : rest)
        first += ',' + r;
    return first + '\n';
}
} // namespace

std::string csvHeader() {
    return joined("time_ms", liveFieldNames());
}

std::string csvRow(const LiveSample& s) {
    return joined(std::to_string(s.ms), liveFieldValues(s));
}

} // namespace stepdrive
