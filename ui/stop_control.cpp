#include "ui/stop_control.h"

#include "ui/stop_mark.h"

#include <QCoreApplication>
#include <QKeySequence>
#include <QMenuBar>
#include <QShortcut>
#include <QToolButton>

namespace stepdrive {

void addStopKey(QWidget* window, std::function<void()> stop) {
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), window);
    QObject::connect(escape, &QShortcut::activated, window, std::move(stop));
    markAsStop(escape);
}

QAbstractButton* addStopButton(QWidget* window, std::function<void()> stop) {
    auto* bar = window->findChild<QMenuBar*>(QStringLiteral("menuBar"));
    auto* button = new QToolButton(bar ? static_cast<QWidget*>(bar) : window);
    button->setObjectName(QStringLiteral("mtr_STOP"));
    button->setText(QCoreApplication::translate("StopControl", "모터 정지 (Esc)"));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    markAsStop(button);
    QObject::connect(button, &QToolButton::clicked, window, std::move(stop));
    if (bar) {
        button->setMaximumHeight(bar->height());
        bar->setCornerWidget(button, Qt::TopRightCorner);
    }
    return button;
}

} // namespace stepdrive
