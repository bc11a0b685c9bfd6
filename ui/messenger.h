#pragma once
// Every message the program shows goes through one interface: the app shows
// a modal box with an OK button, the tests record. The same goes for a
// question with a few answers.

#include <QString>
#include <QStringList>

namespace stepdrive {

class Messenger {
public:
    virtual ~Messenger() = default;
    virtual void show(const QString& text) = 0;
    // Asks `text` with one button a choice and returns the index of the one
    // chosen, or -1 when none was. The first choice is the default (Return);
    // the last is what Escape and closing the box choose.
    virtual int ask(const QString& text, const QStringList& choices) = 0;
};

} // namespace stepdrive
