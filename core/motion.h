#pragma once
// Whether the motor may be moving, as the frames sent and the replies heard
// tell it: a motion command (a jog, a home search, an absolute or
// incremental move, a table move) starts it; a stop sent, or an input read
// whose running flag is off, ends it; an input read whose running flag is on
// says it moves, whoever started it.

#include "core/frame.h"

#include <cstdint>

namespace stepdrive {

enum class MotionKind { None, Jog, Move, Stop };

// What a command frame of `format` with `cmd` does to the motor.
MotionKind motionOf(Format format, std::uint8_t cmd);
// What a reply says of the motor: Move or Stop for an input read, by its
// running flag; None for any other reply.
MotionKind motionReported(const Reply& reply);

class MotionState {
public:
    // A frame went out.
    void sent(Format format, std::uint8_t cmd) { take(motionOf(format, cmd)); }
    // A reply was heard.
    void heard(const Reply& reply) { take(motionReported(reply)); }
    // The line that drove it is gone: the next may reach another drive.
    void forget() { last_ = MotionKind::None; }

    bool mayBeMoving() const { return last_ == MotionKind::Jog || last_ == MotionKind::Move; }
    // The last motion started was a jog.
    bool jogging() const { return last_ == MotionKind::Jog; }

private:
    void take(MotionKind m) {
        if (m != MotionKind::None)
            last_ = m;
    }

    MotionKind last_ = MotionKind::None;
};

} // namespace stepdrive
