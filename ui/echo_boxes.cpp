#include "ui/echo_boxes.h"

#include "link/panel_link.h"

#include <QLineEdit>

namespace stepdrive {

void bindEchoBoxes(PanelLink& link, QLineEdit* tx, QLineEdit* rx) {
    for (QLineEdit* box : {tx, rx}) {
        box->setReadOnly(true);
        box->setMaxLength(1 << 20);
    }
    QObject::connect(&link, &PanelLink::txEchoChanged, tx, &QLineEdit::setText);
    QObject::connect(&link, &PanelLink::rxEchoChanged, rx, &QLineEdit::setText);
}

} // namespace stepdrive
