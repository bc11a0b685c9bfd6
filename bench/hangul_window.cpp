// A reference beside the bare window: one window with a caption in the
// forms' Hangul font, regular and bold, as every window of the program has.
// What it costs over the bare window is what showing Hangul text costs any
// program here.

#include "app/first_shown.h"
#include "ui/form_look.h"

#include <QApplication>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    stepdrive::applyApplicationLook();
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    for (const bool bold : {false, true}) {
        auto* caption = new QLabel(QStringLiteral("통신설정"), &window);
        QFont font(QStringLiteral("굴림"));
        font.setPointSizeF(9.75);
        font.setBold(bold);
        caption->setFont(font);
        layout->addWidget(caption);
    }
    stepdrive::FirstShown probe(window, [] {
        stepdrive::printShownTime();
        QCoreApplication::exit(0);
    });
    window.show();
    return QApplication::exec();
}
