#pragma once
// A lamp: a filled circle, white when off, red when on.

#include <QWidget>

namespace stepdrive {

class Lamp : public QWidget {
    Q_OBJECT
public:
    explicit Lamp(QWidget* parent = nullptr);

    bool isOn() const { return on_; }
    void setOn(bool on);
    QColor fill() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool on_ = false;
};

} // namespace stepdrive
