#include "app/shell.h"
#include "ui/form_look.h"

#include <QApplication>
#include <QStyleFactory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    stepdrive::installHangulFont();
    stepdrive::Shell shell;
    shell.start();
    return QApplication::exec();
}
