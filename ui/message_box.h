#pragma once

#include "link/messenger.h"

class QWidget;

namespace stepdrive {

// Shows each message in a modal box with an OK button and the text as it stands.
class MessageBoxMessenger : public Messenger {
public:
    void show(const QString& text) override;
};

} // namespace stepdrive
