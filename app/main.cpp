#include "app/shell.h"
#include "ui/form_look.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    stepdrive::applyApplicationLook();
    stepdrive::Shell shell;
    shell.start();
    return QApplication::exec();
}
