#include "core/driver_values.h"

#include "core/frame.h"

#include <algorithm>

namespace stepdrive {

std::array<std::uint8_t, 4> dataBytes(const ValueRule& rule, std::int32_t value) {
    std::array<std::uint8_t, 4> data{};
    if (accepts(rule, value)) {
        const auto bytes = bigEndian(value, rule.width);
        std::copy(bytes.begin(), bytes.end(), data.end() - rule.width);
    }
    return data;
}

std::array<std::uint8_t, 4> in2FlagBytes(bool used) {
    return {0, 0, static_cast<std::uint8_t>(used ? 1 : 0), 0};
}

std::array<std::uint8_t, 7> tableData(const TableEntry& entry) {
    const auto vel = bigEndian(entry.velocity, kTableSpeedBytes);
    const auto acc = bigEndian(entry.acceleration, kTableSpeedBytes);
    const auto pos = bigEndian(entry.position, kTablePositionBytes);
    return {vel[0], vel[1], acc[0], acc[1], pos[0], pos[1], pos[2]};
}

TableEntry tableEntryOf(const std::uint8_t* data) {
    const auto field = [data](int first, int bytes) {
        return signedBigEndian(data + first, bytes);
    };
    TableEntry e;
    e.velocity = field(0, kTableSpeedBytes);
    e.acceleration = field(kTableSpeedBytes, kTableSpeedBytes);
    e.position = field(2 * kTableSpeedBytes, kTablePositionBytes);
    return e;
}

} // namespace stepdrive
