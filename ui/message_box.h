#pragma once

#include "ui/messenger.h"

class QWidget;

namespace stepdrive {

class PauseGate;

// Shows each message in a modal box with an OK button and the text as it
// stands, and each question in one with a button per choice. While a box
// waits for the operator, `gate` (when given) knows: no reply counts as late
// meanwhile, and a pause hands the box its input.
class MessageBoxMessenger : public Messenger {
public:
    explicit MessageBoxMessenger(PauseGate* gate = nullptr) : gate_(gate) {}
    void show(const QString& text) override;
    int ask(const QString& text, const QStringList& choices) override;

private:
    // Whether a box is open, whose key filter serves any box shown over it.
    bool filtering_ = false;
    PauseGate* gate_;
};

} // namespace stepdrive
