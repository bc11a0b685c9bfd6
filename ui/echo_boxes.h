#pragma once
// A panel's TX and RX echo boxes show its link's echo texts. They are
// read-only: the reply data is read from the RX echo, which the operator
// must not be able to change.

class QLineEdit;

namespace stepdrive {

class FrameLink;

void bindEchoBoxes(FrameLink& link, QLineEdit* tx, QLineEdit* rx);

} // namespace stepdrive
