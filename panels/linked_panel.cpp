#include "panels/linked_panel.h"

#include "ui/echo_boxes.h"

namespace stepdrive {

LinkedPanel::LinkedPanel(Format format, CommControl& port, Pause& pause, Messenger& messages,
                         QWidget* parent)
    : QWidget(parent), port_(port), pause_(pause), messages_(messages),
      link_(format, port, messages) {}

void LinkedPanel::setUpPanel(QLineEdit* tx, QLineEdit* rx, Border border) {
    bindEchoBoxes(link_, tx, rx);
    setUpWindow(this, border);
}

} // namespace stepdrive
