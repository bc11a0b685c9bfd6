#pragma once
// File names as the system has them. A name is bytes; those that are not
// UTF-8 are kept in the text as U+DC80..U+DCFF, one per byte, so a name
// given on the command line reaches the system as it came and is shown
// with those bytes as \xNN.

#include <QByteArray>
#include <QString>

namespace stepdrive::cli {

// The text of a name or argument the system gives.
QString fromSystem(const QByteArray& bytes);
// The bytes of a name for the system: what fromSystem was given.
QByteArray toSystem(const QString& name);
// A name as messages show it: "out\xE9.json".
QString shown(const QString& name);

} // namespace stepdrive::cli
