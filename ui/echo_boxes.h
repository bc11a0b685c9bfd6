#pragma once
// A panel's TX and RX echo boxes show its link's echo texts, read-only:
// they show what went out and came in, and nothing typed there is sent.

class QLineEdit;

namespace stepdrive {

class FrameLink;

void bindEchoBoxes(FrameLink& link, QLineEdit* tx, QLineEdit* rx);

} // namespace stepdrive
