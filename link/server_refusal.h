#pragma once
// What a serial device server refused or left unanswered when it did not
// take the telnet and COM-PORT-CONTROL the port asked for, as data: the
// windows word it in the operator's language.

#include <cstdint>

namespace stepdrive {

struct ServerRefusal {
    enum class What {
        None,
        NoTelnetAnswer,  // connected, but no telnet came back
        NoComPortAnswer, // telnet, but no answer to COM-PORT-CONTROL
        BinaryRefused,   // binary mode refused
        ComPortRefused,  // COM-PORT-CONTROL refused
        FarBaud,         // the far line set to another speed
        FarDataBits,     // or another data size, parity or stop size
        FarParity,
        FarStopBits,
    };
    What what = What::None;
    std::uint32_t set = 0;   // the far line's: what the server set
    std::uint32_t asked = 0; // and what was asked
};

} // namespace stepdrive
