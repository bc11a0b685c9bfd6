#pragma once
// The belt-mode diagram: a conveyor with the sensors IN1, IN2 and IN3 above
// it and an object under IN2 and IN3, and below it the speed profile over
// travel: 1.가속, 2.속도 up to IN1, 3.감속, 4.속도 and the stop under IN3.

#include <QWidget>

namespace stepdrive {

class BeltDiagram : public QWidget {
    Q_OBJECT
public:
    explicit BeltDiagram(QWidget* parent = nullptr);
    QSize sizeHint() const override { return {472, 244}; }

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace stepdrive
