#pragma once
// Back colours are progress marks, so they are set and read through one
// helper: the palette role a widget paints its background with.

#include <QColor>

class QWidget;

namespace stepdrive {

namespace colour {
inline const QColor white{255, 255, 255};
inline const QColor sent{255, 255, 128};     // a value went out
inline const QColor readBack{192, 192, 255}; // a value came back
inline const QColor red{255, 0, 0};
} // namespace colour

void setBackColour(QWidget* widget, const QColor& colour);
QColor backColour(const QWidget* widget);

// The system's button-face colour.
QColor buttonFace();

} // namespace stepdrive
