#include "panels/belt/belt_diagram.h"

#include <QPainter>
#include <QPainterPath>

namespace stepdrive {

namespace {
void arrowHead(QPainter& p, QPointF tip, QPointF from) {
    const QLineF back(tip, from);
    QLineF a = back;
    a.setLength(7);
    a.setAngle(back.angle() + 25);
    QLineF b = back;
    b.setLength(7);
    b.setAngle(back.angle() - 25);
    p.drawLine(a);
    p.drawLine(b);
}
} // namespace

BeltDiagram::BeltDiagram(QWidget* parent) : QWidget(parent) {
    setFixedSize(472, 244);
}

void BeltDiagram::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::white);
    // Drawn at the size the form gives it, smaller where the form is.
    p.scale(width() / double(sizeHint().width()), height() / double(sizeHint().height()));
    QFont f = font();
    f.setPointSizeF(8);
    p.setFont(f);
    p.setPen(QPen(Qt::black, 1.5));

    // Sensors above the belt.
    const double sensorX[] = {250, 340, 410};
    const char* sensorName[] = {"IN1", "IN2", "IN3"};
    for (int i = 0; i < 3; ++i) {
        const double x = sensorX[i];
        p.setBrush(QColor(180, 200, 255));
        p.drawRect(QRectF(x - 12, 12, 24, 18));
        p.setBrush(Qt::NoBrush);
        p.drawText(QRectF(x - 20, 0, 40, 12), Qt::AlignCenter, QString::fromLatin1(sensorName[i]));
        p.drawLine(QPointF(x, 30), QPointF(x, 56));
        arrowHead(p, QPointF(x, 56), QPointF(x, 30));
    }
    p.drawText(QRectF(150, 14, 60, 14), Qt::AlignRight, QStringLiteral("sensor"));
    p.drawLine(QPointF(212, 21), QPointF(236, 21));
    arrowHead(p, QPointF(236, 21), QPointF(212, 21));
    p.drawText(QRectF(150, 34, 60, 14), Qt::AlignRight, QStringLiteral("input"));
    p.drawLine(QPointF(212, 41), QPointF(248, 41));
    arrowHead(p, QPointF(248, 41), QPointF(212, 41));

    // The belt with its rollers and the object on it.
    p.setBrush(QColor(230, 230, 230));
    p.drawRoundedRect(QRectF(20, 84, 440, 22), 11, 11);
    p.setBrush(QColor(150, 150, 150));
    p.drawEllipse(QPointF(31, 95), 8, 8);
    p.drawEllipse(QPointF(449, 95), 8, 8);
    p.setBrush(QColor(255, 220, 150));
    const QRectF object(330, 58, 90, 26);
    p.drawRect(object);
    p.drawText(object, Qt::AlignCenter, QStringLiteral("Object"));
    p.setBrush(Qt::NoBrush);

    // Speed over travel.
    const double x0 = 30, y0 = 228, yHigh = 140, yLow = 196;
    p.drawLine(QPointF(x0, y0), QPointF(462, y0));
    p.drawLine(QPointF(x0, y0), QPointF(x0, 118));
    arrowHead(p, QPointF(462, y0), QPointF(x0, y0));
    arrowHead(p, QPointF(x0, 118), QPointF(x0, y0));
    p.drawText(QRectF(x0 + 4, 114, 50, 14), Qt::AlignLeft, tr("속도"));
    p.drawText(QRectF(400, y0 - 16, 60, 14), Qt::AlignRight, tr("이동거리"));

    const double rampEnd = 90, in1 = sensorX[0], decelEnd = object.left(), in3 = sensorX[2];
    QPainterPath profile(QPointF(x0, y0));
    profile.lineTo(rampEnd, yHigh);
    profile.lineTo(in1, yHigh);
    profile.lineTo(decelEnd, yLow);
    profile.lineTo(in3, yLow);
    profile.lineTo(in3, y0);
    p.setPen(QPen(QColor(200, 0, 0), 2));
    p.drawPath(profile);

    p.setPen(QPen(Qt::black, 1));
    p.drawText(QRectF(x0 + 6, 168, 60, 14), Qt::AlignLeft, tr("1.가속"));
    p.drawText(QRectF(rampEnd + 20, yHigh - 16, 80, 14), Qt::AlignLeft, tr("2.속도"));
    p.drawText(QRectF(in1 + 4, 150, 70, 14), Qt::AlignLeft, tr("3.감속"));
    p.drawText(QRectF(decelEnd + 6, yLow - 16, 70, 14), Qt::AlignLeft, tr("4.속도"));

    p.setPen(QPen(Qt::black, 1, Qt::DashLine));
    p.drawLine(QPointF(object.left(), object.bottom()), QPointF(decelEnd, yLow));
    p.drawLine(QPointF(in1, 106), QPointF(in1, yHigh));
    p.drawLine(QPointF(in3, 106), QPointF(in3, yLow));
}

} // namespace stepdrive
