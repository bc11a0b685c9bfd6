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
    std::array<std::uint8_t, 7> data{};
    const auto put = [&data](const DataField& f, std::int32_t value) {
        const auto bytes = bigEndian(value, f.count);
        std::copy(bytes.begin(), bytes.end(), data.begin() + f.first);
    };
    put(kTableVelocity, entry.velocity);
    put(kTableAcceleration, entry.acceleration);
    put(kTablePosition, entry.position);
    return data;
}

TableEntry tableEntryOf(const std::uint8_t* data) {
    const auto field = [data](const DataField& f) {
        return signedBigEndian(data + f.first, f.count);
    };
    TableEntry e;
    e.velocity = field(kTableVelocity);
    e.acceleration = field(kTableAcceleration);
    e.position = field(kTablePosition);
    return e;
}

Inputs inputsOf(std::uint8_t statusA, std::uint8_t statusB) {
    Inputs result;
    for (std::size_t bit = 0; bit < result.in.size(); ++bit)
        result.in[bit] = statusB & (1u << bit);
    result.running = statusA & 0x01;
    result.homeSensor = statusA & 0x02;
    return result;
}

std::array<std::uint8_t, 2> inputStatus(const Inputs& inputs) {
    std::uint8_t b = 0;
    for (std::size_t bit = 0; bit < inputs.in.size(); ++bit)
        b |= static_cast<std::uint8_t>(inputs.in[bit] ? 1u << bit : 0u);
    return {static_cast<std::uint8_t>((inputs.running ? 0x01 : 0) | (inputs.homeSensor ? 0x02 : 0)),
            b};
}

} // namespace stepdrive
