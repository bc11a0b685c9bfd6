#pragma once
// Whether the motor may be moving, heard from every link's frames and
// replies (the live view's among them), and the question before a leave
// (exit, disconnect) while it may: stop it first, leave it running, or stay.

#include "core/motion.h"

#include <QObject>
#include <QString>

namespace stepdrive {

class FrameLink;
class Messenger;

class MotionGuard : public QObject {
    Q_OBJECT
public:
    explicit MotionGuard(Messenger& messages, QObject* parent = nullptr);

    // Hears every frame `link` sends and every reply it reads.
    void watch(FrameLink& link);
    const MotionState& state() const { return state_; }
    // The line is gone: the next may reach another drive. What the motor
    // was doing is kept for the loss's message.
    void forget();
    // Said with the loss of a line that drove a motor still moving, once.
    QString lostNote();

    enum class Leave { Exit, Disconnect };
    enum class Answer { StopFirst, LeaveRunning, Stay };
    // Asks before `leave` while the motor may be moving; LeaveRunning at
    // once when it stands.
    Answer ask(Leave leave);

private:
    Messenger& messages_;
    MotionState state_;
    MotionState lost_;
};

} // namespace stepdrive
