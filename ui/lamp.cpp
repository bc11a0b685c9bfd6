#include "ui/lamp.h"

#include "ui/colours.h"

#include <QPainter>

namespace stepdrive {

Lamp::Lamp(QWidget* parent) : QWidget(parent) {}

void Lamp::setOn(bool on) {
    if (on_ == on)
        return;
    on_ = on;
    update();
}

QColor Lamp::fill() const {
    return on_ ? colour::red : colour::white;
}

void Lamp::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(palette().color(QPalette::WindowText), 1));
    p.setBrush(fill());
    const int d = qMin(width(), height()) - 2;
    p.drawEllipse(QRectF((width() - d) / 2.0, (height() - d) / 2.0, d, d));
}

} // namespace stepdrive
