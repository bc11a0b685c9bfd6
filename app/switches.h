#pragma once
// The navigation between the windows as data: each button's port hand-over
// and the window it leads to.

#include "app/connection.h"

namespace stepdrive {

// One navigation button: the port object closed (of the panel being left)
// and opened (of the panel being entered), in this order, then the target.
struct Switch {
    Win from;
    const char* button;
    Win closesPortOf;
    Win opensPortOf;
    Win target;
};

inline constexpr Switch kSwitches[] = {
    {Win::Main, "cmd_JP", Win::Main, Win::JogPosition, Win::JogPosition},
    {Win::Main, "Command1", Win::Main, Win::Belt, Win::Belt},
    {Win::JogPosition, "cmd_JP", Win::JogPosition, Win::Main, Win::Main},
    {Win::JogPosition, "Command1", Win::JogPosition, Win::Belt, Win::Belt},
    {Win::Belt, "cmd_MAIN", Win::Belt, Win::Main, Win::Main},
    {Win::Belt, "Command1", Win::Belt, Win::JogPosition, Win::JogPosition},
    // Back to the dialog: the link stays open from the main and table panels.
    {Win::Main, "cmd_comm", Win::None, Win::None, Win::Start},
    {Win::JogPosition, "cmd_comm", Win::None, Win::None, Win::Start},
    {Win::Belt, "cmd_comm", Win::Belt, Win::None, Win::Start},
};

} // namespace stepdrive
