#pragma once
// The driver model behind stepdrive-sim: motor parameters, position and
// motion, inputs and outputs, the position table and the belt parameters.
// Every command frame gets one reply frame that carries its command code.
//
// Motion runs at constant speed (the acceleration is kept but not modelled);
// a speed value v means v * 100 pulses per second. Time is passed in by the
// caller, and the position is worked out from it when a command arrives.
//
// Home: the home sensor sits at position 0 when the driver starts. A home
// search travels to the sensor at the homing speed, goes on by the home
// offset, and makes that place position 0; the sensor is then at
// -offset. The sensor is made within kHomeSensorReach pulses of its place,
// as a real sensor's vane is some way long: a search passing it at the
// default homing speed keeps it made for 0.2 s.

#include "core/driver_values.h"
#include "sim/framer.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>

namespace stepdrive::sim {

using Clock = std::chrono::steady_clock;

constexpr int kPulsesPerSecondPerSpeedUnit = 100;
constexpr std::int64_t kHomeSensorReach = 5000;

class Driver {
public:
    explicit Driver(std::uint8_t inputs = 0);

    // The reply to one command frame received at `now`.
    Bytes handle(const CommandFrame& command, Clock::time_point now);

    // What the driver shows at `now` (moves the model on to that time).
    std::int32_t position(Clock::time_point now);
    bool running(Clock::time_point now);
    bool atHome(Clock::time_point now);
    // What the input request reports, and its status byte A (bit 0 running,
    // bit 1 home sensor).
    Inputs inputsAt(Clock::time_point now);
    std::uint8_t statusA(Clock::time_point now);

    std::uint8_t inputs() const { return inputs_; }
    // Motor parameter by its option code (1, 2, 4, 5, 6, 7, 9); 0 for others.
    std::int32_t parameter(std::uint8_t option) const;
    // Outputs 1 to 4, 1 = on.
    const std::array<std::uint8_t, 4>& outputs() const { return outputs_; }
    // Belt parameter 1 to 4.
    std::uint16_t belt(int number) const { return belt_[static_cast<std::size_t>(number - 1)]; }
    bool in2Used() const { return in2Used_; }
    // Table entry 1 to 7.
    const TableEntry& tableEntry(int number) const {
        return table_[static_cast<std::size_t>(number - 1)];
    }

private:
    struct Leg {
        std::int64_t target;
        double pulsesPerSecond;
    };
    enum class Motion { Idle, Jog, Travel };

    Bytes shortCommand(std::uint8_t code, std::uint8_t option, const Bytes& data,
                       Clock::time_point now);
    Bytes longCommand(std::uint8_t code, std::uint8_t option, const Bytes& data,
                      Clock::time_point now);

    void advance(Clock::time_point now);
    void jog(int direction, std::uint32_t speed, Clock::time_point now);
    void travelTo(std::int64_t target, std::uint32_t speed, Clock::time_point now);
    void homeSearch(Clock::time_point now);
    void travel(std::deque<Leg> legs, Clock::time_point now);
    void stop();

    std::array<std::int32_t, 10> parameters_{}; // indexed by option code
    std::uint8_t inputs_;
    std::array<std::uint8_t, 4> outputs_{};
    std::array<std::uint16_t, 4> belt_{};
    bool in2Used_ = false;
    std::array<TableEntry, kTableEntries> table_{};

    std::int64_t position_ = 0;
    std::int64_t homeSensorAt_ = 0;
    Motion motion_ = Motion::Idle;
    // Where and when the present jog or leg started.
    std::int64_t from_ = 0;
    Clock::time_point since_{};
    int jogDirection_ = 1;
    double jogPulsesPerSecond_ = 0;
    std::deque<Leg> legs_;
    bool homing_ = false;
};

} // namespace stepdrive::sim
