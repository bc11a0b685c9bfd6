#include "core/motion.h"

#include "core/commands.h"
#include "core/driver_values.h"

namespace stepdrive {

MotionKind motionOf(Format format, std::uint8_t cmd) {
    if (format == Format::Long)
        return cmd == tableCmd::MoveToRow ? MotionKind::Move : MotionKind::None;
    switch (cmd) {
    case cmd::JogLeft:
    case cmd::JogRight:
        return MotionKind::Jog;
    case cmd::Move:
    case cmd::HomeSearch:
        return MotionKind::Move;
    case cmd::Stop:
        return MotionKind::Stop;
    default:
        return MotionKind::None;
    }
}

MotionKind motionReported(const Reply& reply) {
    if (reply.code != cmd::ReadInputs || reply.failed)
        return MotionKind::None;
    return inputsOf(reply.statusA, reply.statusB).running ? MotionKind::Move : MotionKind::Stop;
}

} // namespace stepdrive
