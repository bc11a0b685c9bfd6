#include "app/first_shown.h"
#include "app/shell.h"
#include "ui/form_look.h"

#include <QApplication>
#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    stepdrive::applyApplicationLook();
    stepdrive::Shell shell;

    // scripts/bench times the start-up: it is told when the main panel was
    // first shown, then every window is created and the program ends.
    std::unique_ptr<stepdrive::FirstShown> probe;
    if (qEnvironmentVariableIsSet(stepdrive::kStartupProbeVariable))
        probe =
            std::make_unique<stepdrive::FirstShown>(shell.window(stepdrive::Win::Main), [&shell] {
                stepdrive::printShownTime();
                shell.startDialog();
                shell.jogPosition();
                shell.belt();
                QCoreApplication::exit(0);
            });

    shell.start();
    return QApplication::exec();
}
