#include "sim/driver.h"

#include "core/commands.h"
#include "core/driver_values.h"

#include <algorithm>
#include <cmath>

namespace stepdrive::sim {

namespace {

// Data bytes each motor parameter uses, by option code (none for an option
// the driver doesn't know); the home offset is the only signed one.
int parameterWidth(std::uint8_t option) {
    for (const ValueRule& rule : kMotorParameters)
        if (rule.opt1 == option)
            return rule.width;
    return 0;
}

std::uint32_t unsignedOf(const Bytes& data, std::size_t first, std::size_t count) {
    std::uint32_t value = 0;
    for (std::size_t i = first; i < first + count; ++i)
        value = (value << 8) | data[i];
    return value;
}

std::int32_t signedOf(const Bytes& data, std::size_t first, std::size_t count) {
    return signedBigEndian(data.data() + first, static_cast<int>(count));
}

double secondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double>(to - from).count();
}

// A jog left running for ever stops counting here rather than overflowing.
constexpr double kLongestJog = 1e15;

} // namespace

Driver::Driver(std::uint8_t inputs) : inputs_(inputs) {
    parameters_[1] = 20;    // run current
    parameters_[2] = 4;     // stop current
    parameters_[4] = 800;   // run speed
    parameters_[5] = 10;    // acceleration
    parameters_[7] = 500;   // homing speed
    parameters_[9] = 12800; // home offset
    parameters_[6] = 2;     // resolution
}

std::int32_t Driver::parameter(std::uint8_t option) const {
    return parameterWidth(option) ? parameters_[option] : 0;
}

Bytes Driver::handle(const CommandFrame& command, Clock::time_point now) {
    advance(now);
    const Bytes& f = command.bytes;
    const std::uint8_t code = f[2];
    const std::uint8_t option = f[3];
    const Bytes data(f.begin() + 4, f.end() - 2);
    Bytes answer = data; // a command outside the table is only echoed
    if (findCommand(command.format, code, option))
        answer = command.format == Format::Short ? shortCommand(code, option, data, now)
                                                 : longCommand(code, option, data, now);
    return replyFrame(command.format, code, answer);
}

Bytes Driver::shortCommand(std::uint8_t code, std::uint8_t option, const Bytes& data,
                           Clock::time_point now) {
    switch (code) {
    case cmd::JogRight:
        jog(+1, unsignedOf(data, 0, 4), now);
        break;
    case cmd::JogLeft:
        jog(-1, unsignedOf(data, 0, 4), now);
        break;
    case cmd::Stop:
        stop();
        break;
    case cmd::Move: {
        const std::int64_t distance = signedOf(data, 0, 4);
        const std::int64_t target =
            option == opt::MoveIncremental ? position_ + distance : distance;
        travelTo(target, static_cast<std::uint32_t>(parameters_[4]), now);
        break;
    }
    case cmd::WriteParameter: {
        const int width = parameterWidth(option);
        parameters_[option] =
            width == 4
                ? signedOf(data, 0, 4)
                : static_cast<std::int32_t>(unsignedOf(data, 4 - static_cast<std::size_t>(width),
                                                       static_cast<std::size_t>(width)));
        break;
    }
    case cmd::ReadParameter:
        return bigEndian(option == opt::Position ? position(now) : parameters_[option], 4);
    case cmd::HomeSearch:
        homeSearch(now);
        break;
    case cmd::SetOutputs:
        for (std::size_t i = 0; i < 4; ++i)
            outputs_[i] = data[i] ? 1 : 0;
        break;
    case cmd::ReadInputs: {
        const auto status = inputStatus(inputsAt(now));
        return {0, 0, status[0], status[1]};
    }
    case cmd::WriteBelt:
        if (option == opt::BeltIn2Flag)
            in2Used_ = data[2] != 0;
        else
            belt_[option - 1u] = static_cast<std::uint16_t>(unsignedOf(data, 2, 2));
        break;
    case cmd::ReadBelt:
        return bigEndian(belt_[option - 1u], 4);
    }
    return data;
}

Bytes Driver::longCommand(std::uint8_t code, std::uint8_t option, const Bytes& data,
                          Clock::time_point now) {
    switch (code) {
    case tableCmd::MoveToRow: {
        const TableEntry row = tableEntryOf(data.data());
        travelTo(row.position, static_cast<std::uint16_t>(row.velocity), now);
        break;
    }
    case tableCmd::Download:
        table_[option - 1u] = tableEntryOf(data.data());
        break;
    case tableCmd::Read: {
        const auto d = tableData(table_[option - 1u]);
        return Bytes(d.begin(), d.end());
    }
    }
    return data;
}

std::int32_t Driver::position(Clock::time_point now) {
    advance(now);
    // The counter is 32 bits wide and wraps.
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(position_ & 0xFFFFFFFF));
}

bool Driver::running(Clock::time_point now) {
    advance(now);
    return motion_ != Motion::Idle;
}

bool Driver::atHome(Clock::time_point now) {
    advance(now);
    return std::llabs(position_ - homeSensorAt_) < kHomeSensorReach;
}

Inputs Driver::inputsAt(Clock::time_point now) {
    Inputs in;
    for (std::size_t bit = 0; bit < in.in.size(); ++bit)
        in.in[bit] = inputs_ & (1u << bit);
    in.running = running(now);
    in.homeSensor = atHome(now);
    return in;
}

std::uint8_t Driver::statusA(Clock::time_point now) {
    return inputStatus(inputsAt(now))[0];
}

void Driver::advance(Clock::time_point now) {
    if (motion_ == Motion::Jog) {
        const double travelled =
            std::min(jogPulsesPerSecond_ * secondsBetween(since_, now), kLongestJog);
        position_ = from_ + jogDirection_ * static_cast<std::int64_t>(travelled);
        return;
    }
    if (motion_ != Motion::Travel)
        return;
    while (!legs_.empty()) {
        const Leg& leg = legs_.front();
        const std::int64_t distance = leg.target - from_;
        const double needed = static_cast<double>(std::llabs(distance)) / leg.pulsesPerSecond;
        const double elapsed = secondsBetween(since_, now);
        if (elapsed < needed) {
            const auto travelled = static_cast<std::int64_t>(leg.pulsesPerSecond * elapsed);
            position_ = from_ + (distance < 0 ? -travelled : travelled);
            return;
        }
        position_ = from_ = leg.target;
        since_ +=
            std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(needed));
        legs_.pop_front();
    }
    if (homing_) {
        homeSensorAt_ -= position_;
        position_ = 0;
        homing_ = false;
    }
    motion_ = Motion::Idle;
}

void Driver::stop() {
    motion_ = Motion::Idle;
    legs_.clear();
    homing_ = false;
}

// A speed of 0 leaves the motor standing.
void Driver::jog(int direction, std::uint32_t speed, Clock::time_point now) {
    stop();
    if (speed == 0)
        return;
    motion_ = Motion::Jog;
    jogDirection_ = direction;
    jogPulsesPerSecond_ = static_cast<double>(speed) * kPulsesPerSecondPerSpeedUnit;
    from_ = position_;
    since_ = now;
}

void Driver::travelTo(std::int64_t target, std::uint32_t speed, Clock::time_point now) {
    stop();
    if (speed == 0)
        return;
    travel({{target, static_cast<double>(speed) * kPulsesPerSecondPerSpeedUnit}}, now);
}

void Driver::homeSearch(Clock::time_point now) {
    stop();
    const auto speed = static_cast<std::uint32_t>(parameters_[7]);
    if (speed == 0)
        return;
    const double pulsesPerSecond = static_cast<double>(speed) * kPulsesPerSecondPerSpeedUnit;
    travel({{homeSensorAt_, pulsesPerSecond}, {homeSensorAt_ + parameters_[9], pulsesPerSecond}},
           now);
    homing_ = true;
}

void Driver::travel(std::deque<Leg> legs, Clock::time_point now) {
    legs_ = std::move(legs);
    motion_ = Motion::Travel;
    from_ = position_;
    since_ = now;
}

} // namespace stepdrive::sim
