#include "ui/message_box.h"

#include <QApplication>
#include <QMessageBox>

namespace stepdrive {

void MessageBoxMessenger::show(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("stepdrive"), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

} // namespace stepdrive
