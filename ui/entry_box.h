#pragma once

#include <QString>
#include <cstdint>
#include <optional>

class QLineEdit;

namespace stepdrive {

class Messenger;

// The whole number in an entry box. A text that is not a number is refused
// with one message naming the box (`boxName`, as the operator knows it), and
// the caller sends nothing for it.
std::optional<std::int32_t> readEntry(const QLineEdit* box, const QString& boxName,
                                      Messenger& messages);

} // namespace stepdrive
