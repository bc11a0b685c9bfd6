#include "core/motion.h"

#include "core/commands.h"
#include "core/driver_values.h"

#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

namespace stepdrive {
namespace {

// Plays `events` on a MotionState: "s3" a 10-byte frame with cmd 3 sent,
// "l4" a 13-byte one; "run" and "halted" an input read's reply (with "!" a
// faulty one); "r3" a reply to cmd 3; "lost" the line gone.
MotionState play(const char* events) {
    MotionState state;
    for (const QString& e : QString::fromLatin1(events).split(' ', Qt::SkipEmptyParts)) {
        Reply r;
        r.code = static_cast<std::uint8_t>(e.mid(1).toInt());
        if (e.startsWith("run") || e.startsWith("halted")) {
            Inputs in;
            in.running = e.startsWith("run");
            r = {cmd::ReadInputs, inputStatus(in)[0], inputStatus(in)[1], {}};
            r.failed = e.endsWith('!') ? Reply::Status : 0;
        }
        if (e == "lost")
            state.forget();
        else if (e[0] == 's' || e[0] == 'l')
            state.sent(e[0] == 's' ? Format::Short : Format::Long, r.code);
        else
            state.heard(r);
    }
    return state;
}

TEST(MotionState, followsMotionCommandsStopsAndTheDriversRunningFlag) {
    const struct {
        const char* events;
        bool moving;
        bool jogging;
    } cases[] = {
        {"", false, false},
        {"s1", true, true},      // jog right
        {"s2 s3", false, false}, // jog left, stopped
        {"s4", true, false},     // absolute or incremental move
        {"s7", true, false},     // home search
        {"l4", true, false},     // table move
        // 14 of the 13-byte frames is a download, not a belt write.
        {"l14", false, false},
        {"s4 l15", true, false},                 // a move, then a table read
        {"s5 s6 s11 s12 s13 s14", false, false}, // writes, reads, outputs
        {"s4 halted", false, false},             // reported finished
        {"s1 run", true, false},                 // the driver still runs it
        {"s4 halted!", true, false},             // a faulty reply proves nothing
        {"s4 r3", true, false},                  // nor the stop's own reply
        {"run", true, false},                    // a motor found running
        {"s1 lost", false, false},               // a lost line forgets
    };
    for (const auto& c : cases) {
        const MotionState state = play(c.events);
        EXPECT_EQ(state.mayBeMoving(), c.moving) << c.events;
        EXPECT_EQ(state.jogging(), c.jogging) << c.events;
    }
}

} // namespace
} // namespace stepdrive
