#include "ui/colours.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPalette>

namespace stepdrive {

namespace {
QPalette::ColorRole roleOf(const QWidget* w) {
    if (qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractItemView*>(w))
        return QPalette::Base;
    if (qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QComboBox*>(w))
        return QPalette::Button;
    return QPalette::Window;
}
} // namespace

void setBackColour(QWidget* widget, const QColor& colour) {
    const QPalette::ColorRole role = roleOf(widget);
    QPalette p = widget->palette();
    p.setColor(role, colour);
    if (role == QPalette::Button && qobject_cast<QComboBox*>(widget))
        p.setColor(QPalette::Base, colour); // the editable text part
    // A control that takes no press shows its colour greyed: half of it,
    // half the system's button face.
    if (role == QPalette::Button) {
        const QColor face = buttonFace();
        const QColor greyed((colour.red() + face.red()) / 2, (colour.green() + face.green()) / 2,
                            (colour.blue() + face.blue()) / 2);
        p.setColor(QPalette::Disabled, QPalette::Button, greyed);
        if (qobject_cast<QComboBox*>(widget))
            p.setColor(QPalette::Disabled, QPalette::Base, greyed);
    }
    widget->setPalette(p);
    if (role == QPalette::Window)
        widget->setAutoFillBackground(true);
}

QColor backColour(const QWidget* widget) {
    return widget->palette().color(roleOf(widget));
}

QColor buttonFace() {
    return QApplication::palette().color(QPalette::Button);
}

} // namespace stepdrive
