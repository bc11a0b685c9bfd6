#pragma once
// The operator's words for a set-up file the reader refused.

#include "core/profile.h"

#include <QString>

namespace stepdrive {

// "motor.run_current: 40은(는) 범위 0~31 밖입니다" and the like; the keys
// stay as the file writes them.
QString profileFaultText(const ProfileFault& fault);

} // namespace stepdrive
