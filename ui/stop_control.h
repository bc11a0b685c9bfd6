#pragma once
// The motor stop's controls on a working panel: Escape anywhere on the
// window, and on the panels without a stop button of their form, a
// "모터 정지 (Esc)" button standing in the menu bar. Both act during a pause,
// so that the stop goes out as soon as the pause ends.

#include <functional>

class QAbstractButton;
class QWidget;

namespace stepdrive {

// Escape on `window` calls `stop`. A message box is a window of its own, so
// Escape there never reaches it.
void addStopKey(QWidget* window, std::function<void()> stop);
// A button "모터 정지 (Esc)" (object name mtr_STOP) at the right end of the
// window's menu bar, one click from anywhere; the bar keeps its height and
// the form its places.
QAbstractButton* addStopButton(QWidget* window, std::function<void()> stop);

} // namespace stepdrive
