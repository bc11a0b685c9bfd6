#include "ui/echo_boxes.h"

#include "link/frame_link.h"

#include <QLineEdit>

namespace stepdrive {

void bindEchoBoxes(FrameLink& link, QLineEdit* tx, QLineEdit* rx) {
    for (QLineEdit* box : {tx, rx}) {
        box->setReadOnly(true);
        box->setMaxLength(1 << 20);
    }
    QObject::connect(&link, &FrameLink::txEchoChanged, tx, &QLineEdit::setText);
    QObject::connect(&link, &FrameLink::rxEchoChanged, rx, &QLineEdit::setText);
}

} // namespace stepdrive
