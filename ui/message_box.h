#pragma once

#include "ui/messenger.h"

class QWidget;

namespace stepdrive {

// Shows each message in a modal box with an OK button and the text as it
// stands, and each question in one with a button per choice.
class MessageBoxMessenger : public Messenger {
public:
    void show(const QString& text) override;
    int ask(const QString& text, const QStringList& choices) override;

private:
    // Whether a box is open, whose key filter serves any box shown over it.
    bool filtering_ = false;
};

} // namespace stepdrive
