#pragma once
// The values the driver keeps and how each travels: the motor and belt
// parameters (option code, data bytes, accepted range, the message for a
// refused value), the fields of a table entry, and the pauses of the write
// and read-back sequences. The windows and stepdrive-cli both work from here.

#include <algorithm>
#include <array>
#include <cstdint>
#include <limits>
#include <optional>

namespace stepdrive {

// Pauses of the parameter and table sequences, in milliseconds.
namespace pacing {
constexpr int kBeforeFirstWriteMs = 100; // after the boxes turn white
constexpr int kAfterWriteMs = 150;       // after each frame of a write
constexpr int kAfterReadBackMs = 100;    // after each reply of a read-back
} // namespace pacing

// One parameter that one command writes and (but for the IN2-use flag) one
// command reads back with the same option code.
struct ValueRule {
    const char* key;   // its name in a profile and on the command line
    std::uint8_t opt1; // the option code, for writing and reading alike
    int width;         // data bytes the value takes, the low ones of four
    std::int32_t min;  // the range accepted
    std::int32_t max;
};

constexpr bool accepts(const ValueRule& rule, std::int32_t value) {
    return value >= rule.min && value <= rule.max;
}

// The four data bytes of a write, high byte first: an accepted value in the
// low `width` bytes, a refused one as zeros (never sent: it is refused first).
std::array<std::uint8_t, 4> dataBytes(const ValueRule& rule, std::int32_t value);

constexpr int kMotorParameterCount = 7;
constexpr int kBeltParameterCount = 4;

// The seven motor parameters, in the order they are written and read back.
// The home offset takes any whole number.
inline constexpr ValueRule kMotorParameters[kMotorParameterCount] = {
    {"run_current", 1, 1, 0, 31},
    {"stop_current", 2, 1, 0, 31},
    {"run_speed", 4, 2, 0, 2047},
    {"acceleration", 5, 2, 0, 2047},
    {"homing_speed", 7, 2, 0, 2047},
    {"home_offset", 9, 4, std::numeric_limits<std::int32_t>::min(),
     std::numeric_limits<std::int32_t>::max()},
    {"resolution", 6, 1, 0, 8},
};

// The four belt parameters: each travels in two data bytes, so anything that
// fits in 16 bits goes.
inline constexpr ValueRule kBeltParameters[kBeltParameterCount] = {
    {"acceleration", 1, 2, 0, 0xFFFF},
    {"speed", 2, 2, 0, 0xFFFF},
    {"deceleration", 3, 2, 0, 0xFFFF},
    {"final_speed", 4, 2, 0, 0xFFFF},
};

// The IN2-use flag travels in data1 of its own write; it is never read back.
std::array<std::uint8_t, 4> in2FlagBytes(bool used);

// The position table: seven entries, each a position, a velocity and an
// acceleration in one 13-byte frame.
constexpr int kTableEntries = 7;
constexpr int kTablePositionBytes = 3;
constexpr int kTableSpeedBytes = 2; // velocity and acceleration alike

struct TableEntry {
    std::int32_t position = 0;
    std::int32_t velocity = 0;
    std::int32_t acceleration = 0;
    bool operator==(const TableEntry& o) const {
        return position == o.position && velocity == o.velocity && acceleration == o.acceleration;
    }
};

// Values in the order of their table (kMotorParameters, entries 1-7,
// kBeltParameters); a value not given is empty.
template <typename T, std::size_t N> using Values = std::array<std::optional<T>, N>;
using MotorValues = Values<std::int32_t, kMotorParameterCount>;
using TableValues = Values<TableEntry, kTableEntries>;
using BeltValues = Values<std::int32_t, kBeltParameterCount>;

// How many of `values` are given.
template <typename T, std::size_t N> int givenCount(const Values<T, N>& values) {
    return static_cast<int>(
        std::count_if(values.begin(), values.end(), [](const auto& v) { return v.has_value(); }));
}

// `values` (a whole array, or a list of values or of optional values) in
// their order, as one of the Values above; what follows the last is empty.
template <typename V, typename Range> V asValues(const Range& values) {
    V given;
    const auto count = std::min(given.size(), static_cast<std::size_t>(std::size(values)));
    std::copy_n(std::begin(values), count, given.begin());
    return given;
}

// Where each field of a table entry lies in its seven data bytes: vel1 vel0
// acc1 acc0 pos2 pos1 pos0, high byte first.
struct DataField {
    int first;
    int count;
    constexpr int end() const { return first + count; }
};
inline constexpr DataField kTableVelocity{0, kTableSpeedBytes};
inline constexpr DataField kTableAcceleration{kTableSpeedBytes, kTableSpeedBytes};
inline constexpr DataField kTablePosition{2 * kTableSpeedBytes, kTablePositionBytes};

// The fields of an entry in the order a profile names them, each with the
// bytes it travels in.
struct TableField {
    const char* key;
    DataField bytes;
    std::int32_t TableEntry::*member;
};
inline constexpr TableField kTableFields[3] = {
    {"position", kTablePosition, &TableEntry::position},
    {"velocity", kTableVelocity, &TableEntry::velocity},
    {"acceleration", kTableAcceleration, &TableEntry::acceleration},
};

// The seven data bytes of an entry: the low 16 and 24 bits of the values;
// higher bits are dropped, so an entry goes out only once carried() took it.
std::array<std::uint8_t, 7> tableData(const TableEntry& entry);
// The entry seven data bytes carry, each field signed: the one decoder of a
// table entry, for a read reply (the panels, the command line) and a
// download or row move (the simulator).
TableEntry tableEntryOf(const std::uint8_t* data);

// What the input request reports.
struct Inputs {
    std::array<bool, 8> in{}; // inputs 1 to 8
    bool running = false;
    bool homeSensor = false;
};
// Inputs 1 to 8 are the bits of status byte B; bits 0 and 1 of A are the
// run flag and the home sensor.
Inputs inputsOf(std::uint8_t statusA, std::uint8_t statusB);
// The status bytes A and B of an input reply, as the driver sends them.
std::array<std::uint8_t, 2> inputStatus(const Inputs& inputs);

// The values a signed field of `bytes` bytes carries unchanged.
constexpr std::int32_t signedMin(int bytes) {
    return bytes >= 4 ? std::numeric_limits<std::int32_t>::min()
                      : -(std::int32_t{1} << (8 * bytes - 1));
}
constexpr std::int32_t signedMax(int bytes) {
    return bytes >= 4 ? std::numeric_limits<std::int32_t>::max()
                      : (std::int32_t{1} << (8 * bytes - 1)) - 1;
}

// Whether `field` carries `value` as the driver reads it back, signed: a
// position outside -8388608..8388607 or a velocity or acceleration outside
// -32768..32767 would reach the driver as another number (-1 goes as FF FF).
// The windows, the command line and the files send and take no such value.
constexpr bool carried(const TableField& field, std::int32_t value) {
    return value >= signedMin(field.bytes.count) && value <= signedMax(field.bytes.count);
}

} // namespace stepdrive
