#pragma once
// Every message the program shows goes through one interface: the app shows
// a modal box with an OK button, the tests record.

#include <QString>

namespace stepdrive {

class Messenger {
public:
    virtual ~Messenger() = default;
    virtual void show(const QString& text) = 0;
};

} // namespace stepdrive
