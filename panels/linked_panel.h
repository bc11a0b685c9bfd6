#pragma once
// What the three working panels have in common: a port object, the pause,
// the messenger and the link machinery over that port, with the echo boxes
// bound to it.

#include "link/panel_link.h"
#include "ui/form_look.h"

#include <QWidget>

class QLineEdit;

namespace stepdrive {

class CommControl;
class Messenger;
class Pause;

class LinkedPanel : public QWidget {
    Q_OBJECT
public:
    PanelLink& link() { return link_; }

protected:
    LinkedPanel(Format format, CommControl& port, Pause& pause, Messenger& messages,
                QWidget* parent = nullptr);

    // After setupUi: the echo boxes, the form look, the border and centring.
    void setUpPanel(QLineEdit* tx, QLineEdit* rx, Border border);

    CommControl& port_;
    Pause& pause_;
    Messenger& messages_;
    PanelLink link_;
};

} // namespace stepdrive
