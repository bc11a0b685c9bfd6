#include "app/motion_guard.h"

#include "link/frame_link.h"
#include "ui/messenger.h"

#include <utility>

namespace stepdrive {

MotionGuard::MotionGuard(Messenger& messages, QObject* parent)
    : QObject(parent), messages_(messages) {}

void MotionGuard::watch(FrameLink& link) {
    connect(&link, &FrameLink::frameSent, this,
            [this](Format format, std::uint8_t cmd) { state_.sent(format, cmd); });
    const auto heard = [this](const Reply& reply) { state_.heard(reply); };
    connect(&link, &FrameLink::replied, this, heard);
    connect(&link, &FrameLink::watched, this, heard);
}

void MotionGuard::forget() {
    lost_ = std::exchange(state_, MotionState{});
}

QString MotionGuard::lostNote() {
    const MotionState lost = std::exchange(lost_, MotionState{});
    if (lost.jogging())
        return tr("조그 운전 중이던 모터는 아직 돌고 있을 수 있습니다. "
                  "다시 연결한 뒤 모터 정지를 누르십시오.");
    if (lost.mayBeMoving())
        return tr("움직이던 모터는 아직 움직이고 있을 수 있습니다. "
                  "다시 연결한 뒤 모터 정지를 누르십시오.");
    return {};
}

MotionGuard::Answer MotionGuard::ask(Leave leave) {
    if (!state_.mayBeMoving())
        return Answer::LeaveRunning;
    const bool exit = leave == Leave::Exit;
    // A jog is named as such; any other motion may have ended unseen.
    const QString question =
        state_.jogging()
            ? (exit ? tr("모터가 조그 운전 중입니다. 정지하고 종료할까요?")
                    : tr("모터가 조그 운전 중입니다. 정지하고 통신을 끊을까요?"))
            : (exit ? tr("모터가 움직이고 있을 수 있습니다. 정지하고 종료할까요?")
                    : tr("모터가 움직이고 있을 수 있습니다. 정지하고 통신을 끊을까요?"));
    const QStringList answers =
        exit ? QStringList{tr("정지 후 종료"), tr("그대로 종료"), tr("취소")}
             : QStringList{tr("정지 후 통신 정지"), tr("그대로 통신 정지"), tr("취소")};
    switch (messages_.ask(question, answers)) {
    case 0:
        return Answer::StopFirst;
    case 1:
        return Answer::LeaveRunning;
    default:
        return Answer::Stay;
    }
}

} // namespace stepdrive
