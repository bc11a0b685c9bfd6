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

// Makes `box` (named `boxName` to the operator) an entry box that never
// holds what the operator did not give:
// - a paste or drop that does not fit its room is refused whole with one
//   message, never cut to fit (blanks around a pasted number are dropped
//   first);
// - a progress mark (light yellow, light cyan, light blue) lasts only while
//   the text that earned it stands: any change of text turns it white.
void guardEntryBox(QLineEdit* box, const QString& boxName, Messenger& messages);

// Shows `value` whole in a box, even when it is longer than the characters
// the operator may type there or wider than the box: such a text is drawn
// in a smaller font. The box takes typing up to its own limit, and its text
// its own font, again once edits bring it within.
void showWhole(QLineEdit* box, std::int32_t value);

} // namespace stepdrive
