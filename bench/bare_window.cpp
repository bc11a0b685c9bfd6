// The floor of any Qt Widgets program here: one empty window, timed the way
// stepdrive times its main panel.

#include "app/first_shown.h"

#include <QApplication>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    stepdrive::FirstShown probe(window, [] {
        stepdrive::printShownTime();
        QCoreApplication::exit(0);
    });
    window.show();
    return QApplication::exec();
}
