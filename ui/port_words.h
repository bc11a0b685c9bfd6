#pragma once
// The operator's words for a failure of the port.

#include "link/comm_control.h"

#include <QString>

namespace stepdrive {

// "COM4 (/dev/ttyS3)을(를) 열 수 없습니다: 장치가 없습니다." and the like.
QString portFailureText(const PortFailure& failure);

// What a press says before any port was connected: it names no port, since
// the operator chose none.
QString notConnectedText();

} // namespace stepdrive
