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

// Shows `value` whole in a box, even when it is longer than the characters
// the operator may type there; the box takes typing up to its own limit
// again once edits bring it within.
void showWhole(QLineEdit* box, std::int32_t value);

} // namespace stepdrive
