#pragma once
// Every command the host sends, by frame format. A reply carries as its code
// the `cmd` it answers.

#include "core/frame.h"

#include <cstdint>
#include <initializer_list>

namespace stepdrive {

// 10-byte frame (header 0xAA), main and belt panels.
namespace cmd {
constexpr std::uint8_t JogRight = 1;
constexpr std::uint8_t JogLeft = 2;
constexpr std::uint8_t Stop = 3;
constexpr std::uint8_t Move = 4; // opt1 0 absolute, 1 incremental
constexpr std::uint8_t WriteParameter = 5;
constexpr std::uint8_t ReadParameter = 6; // opt1 of the parameter, or 8 for the position
constexpr std::uint8_t HomeSearch = 7;
constexpr std::uint8_t SetOutputs = 11;
constexpr std::uint8_t ReadInputs = 12;
constexpr std::uint8_t WriteBelt = 13; // opt1 1-4 parameter, 7 the IN2-use flag
constexpr std::uint8_t ReadBelt = 14;
} // namespace cmd

namespace opt {
constexpr std::uint8_t MoveAbsolute = 0;
constexpr std::uint8_t MoveIncremental = 1;
constexpr std::uint8_t Position = 8;
constexpr std::uint8_t HomeSearch = 1;
constexpr std::uint8_t Outputs = 1;
constexpr std::uint8_t Inputs = 1;
constexpr std::uint8_t BeltIn2Flag = 7;
} // namespace opt

// 13-byte frame (header 0xCC), position table panel.
namespace tableCmd {
constexpr std::uint8_t MoveToRow = 4; // opt1 the row index 0-6
constexpr std::uint8_t Download = 14; // opt1 the entry number 1-7
constexpr std::uint8_t Read = 15;     // opt1 the entry number 1-7
} // namespace tableCmd

struct CommandCode {
    Format format;
    std::uint8_t cmd;
    std::initializer_list<std::uint8_t> opts;
    const char* meaning;
};

// The complete table; nothing outside it is ever sent.
inline constexpr CommandCode kCommandTable[] = {
    {Format::Short, cmd::JogRight, {0}, "jog right"},
    {Format::Short, cmd::JogLeft, {0}, "jog left"},
    {Format::Short, cmd::Stop, {0}, "motor stop"},
    {Format::Short, cmd::Move, {0, 1}, "absolute / incremental move"},
    {Format::Short, cmd::WriteParameter, {1, 2, 4, 5, 7, 9, 6}, "write a motor parameter"},
    {Format::Short, cmd::ReadParameter, {1, 2, 4, 5, 7, 9, 6, 8}, "read a parameter / position"},
    {Format::Short, cmd::HomeSearch, {1}, "home search"},
    {Format::Short, cmd::SetOutputs, {1}, "set the outputs"},
    {Format::Short, cmd::ReadInputs, {1}, "read inputs and status"},
    {Format::Short, cmd::WriteBelt, {1, 2, 3, 4, 7}, "write a belt parameter / IN2 flag"},
    {Format::Short, cmd::ReadBelt, {1, 2, 3, 4}, "read a belt parameter"},
    {Format::Long, tableCmd::MoveToRow, {0, 1, 2, 3, 4, 5, 6}, "move with a table row"},
    {Format::Long, tableCmd::Download, {1, 2, 3, 4, 5, 6, 7}, "download a table entry"},
    {Format::Long, tableCmd::Read, {1, 2, 3, 4, 5, 6, 7}, "read a table entry"},
};

// The table row for a command, or nullptr when the pair is not in the table.
inline const CommandCode* findCommand(Format format, std::uint8_t command, std::uint8_t option) {
    for (const CommandCode& c : kCommandTable) {
        if (c.format != format || c.cmd != command)
            continue;
        for (std::uint8_t o : c.opts)
            if (o == option)
                return &c;
    }
    return nullptr;
}

} // namespace stepdrive
