#include "core/motion.h"

#include "core/commands.h"
#include "core/driver_values.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace stepdrive {
namespace {

// An input read's reply with the running flag as given.
Reply inputs(bool running, std::uint8_t failed = 0) {
    Inputs in;
    in.running = running;
    const auto status = inputStatus(in);
    Reply r;
    r.code = cmd::ReadInputs;
    r.statusA = status[0];
    r.statusB = status[1];
    r.failed = failed;
    return r;
}

struct Event {
    enum { Sent, Heard, Forget } kind;
    Format format = Format::Short;
    std::uint8_t cmd = 0;
    Reply reply{};
};
Event sent(std::uint8_t cmd, Format f = Format::Short) {
    return {Event::Sent, f, cmd, {}};
}
Event heard(const Reply& r) {
    return {Event::Heard, Format::Short, 0, r};
}
Reply replyTo(std::uint8_t code) {
    Reply r;
    r.code = code;
    return r;
}

TEST(MotionState, followsMotionCommandsStopsAndTheDriversRunningFlag) {
    const struct {
        const char* what;
        std::vector<Event> events;
        bool moving;
        bool jogging;
    } cases[] = {
        {"nothing sent", {}, false, false},
        {"a jog right", {sent(cmd::JogRight)}, true, true},
        {"a jog left, stopped", {sent(cmd::JogLeft), sent(cmd::Stop)}, false, false},
        {"an absolute or incremental move", {sent(cmd::Move)}, true, false},
        {"a home search", {sent(cmd::HomeSearch)}, true, false},
        {"a table move", {sent(tableCmd::MoveToRow, Format::Long)}, true, false},
        // Code 4 of the 13-byte frames is a move, code 14 of them is a
        // download, not a belt write; code 3 is no stop there.
        {"a table download", {sent(tableCmd::Download, Format::Long)}, false, false},
        {"a move, then a table read",
         {sent(cmd::Move), sent(tableCmd::Read, Format::Long)},
         true,
         false},
        {"writes, reads and outputs move nothing",
         {sent(cmd::WriteParameter), sent(cmd::ReadParameter), sent(cmd::SetOutputs),
          sent(cmd::ReadInputs), sent(cmd::WriteBelt), sent(cmd::ReadBelt)},
         false,
         false},
        {"a move the driver reports finished",
         {sent(cmd::Move), heard(inputs(false))},
         false,
         false},
        {"a jog the driver still runs", {sent(cmd::JogRight), heard(inputs(true))}, true, false},
        {"a faulty input reply proves nothing",
         {sent(cmd::Move), heard(inputs(false, 2))},
         true,
         false},
        {"the stop's own reply proves nothing",
         {sent(cmd::Move), heard(replyTo(cmd::Stop))},
         true,
         false},
        {"a motor found running", {heard(inputs(true))}, true, false},
        {"a lost line forgets", {sent(cmd::JogRight), {Event::Forget}}, false, false},
    };
    for (const auto& c : cases) {
        MotionState state;
        for (const Event& e : c.events) {
            if (e.kind == Event::Sent)
                state.sent(e.format, e.cmd);
            else if (e.kind == Event::Heard)
                state.heard(e.reply);
            else
                state.forget();
        }
        EXPECT_EQ(state.mayBeMoving(), c.moving) << c.what;
        EXPECT_EQ(state.jogging(), c.jogging) << c.what;
    }
}

} // namespace
} // namespace stepdrive
