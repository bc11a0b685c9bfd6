#pragma once

class QMenu;
class QWidget;

namespace stepdrive {

// Puts a menu bar holding one menu "파일" over a window's form and returns
// the menu. The form keeps its size and every control its place under the
// bar; the window grows by the bar's height only.
QMenu* addFileMenu(QWidget* window);

} // namespace stepdrive
