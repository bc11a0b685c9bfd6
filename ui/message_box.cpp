#include "ui/message_box.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>

namespace stepdrive {

namespace {
// A key that is held down when a box appears reaches it as auto-repeated
// presses, and Return or Escape would close the box within one repeat,
// before the operator has seen it. While a box is open (it is modal, so it
// is the only window taking keys) auto-repeated keys are dropped: only a
// fresh press answers it.
class FreshKeysOnly : public QObject {
protected:
    bool eventFilter(QObject*, QEvent* event) override {
        switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
            return static_cast<QKeyEvent*>(event)->isAutoRepeat();
        default:
            return false;
        }
    }
};
} // namespace

void MessageBoxMessenger::show(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("stepdrive"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    FreshKeysOnly freshKeys;
    qApp->installEventFilter(&freshKeys);
    box.exec();
    qApp->removeEventFilter(&freshKeys);
}

} // namespace stepdrive
