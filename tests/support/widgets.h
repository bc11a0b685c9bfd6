#pragma once
// Reaching a window's controls by name, as the operator sees them.

#include <QAbstractButton>
#include <QColor>
#include <QLineEdit>
#include <QString>

namespace stepdrive::test {

// The progress marks on the entry and read-back boxes.
inline const QColor kWhite(255, 255, 255);
inline const QColor kSent(255, 255, 128);     // light yellow: a value went out
inline const QColor kReadBack(192, 192, 255); // light blue: a value came back

QLineEdit* box(QWidget& window, const char* name);
QAbstractButton* button(QWidget& window, const char* name);
void click(QWidget& window, const char* name);
// Replaces the text of an entry box key by key, as the operator would.
void type(QWidget& window, const char* name, const QString& text);
// Waits until an echo box holds at least `bytes` bytes.
bool waitForEcho(const QLineEdit* echo, int bytes);
// The back colour on screen: a pixel inside the box's frame, clear of its
// centred text.
QColor shownColour(QLineEdit* box);
// Whether all of a box's text shows on screen, none of it scrolled away.
bool showsWhole(QLineEdit* box);

// The position table's columns, each a box name with the row (0 to 6) for %1.
inline const char* const kTableColumns[] = {"Text_pos_%1", "text_vel_%1", "text_acc_%1"};
QLineEdit* cell(QWidget& table, const char* column, int row);
// A row's boxes as "pos vel acc", and typed from it.
QString rowText(QWidget& table, int row);
void typeRow(QWidget& table, int row, const QString& values);

} // namespace stepdrive::test
